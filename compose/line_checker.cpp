// Checking script lines and commands (GBK texts and messages). Each line is read with the same
// parser that writes lines back, so a check sees the fields exactly as the plugin will.
#include "compose/line_checker.h"

#include <algorithm>

#include "base/gbk.h"
#include "compose/command_table.h"
#include "compose/script_line.h"
#include "ui/colour_codes.h"

namespace compose {
namespace {

// The shortest "/vrnl add NAME " in front of a line: a one-character name and its space.
constexpr std::size_t kShortestAddPrefix = kAddLineCommand.size() + 2;
constexpr std::size_t kQuotedCharacters = 12;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsWholeNumber(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// Digits with at most one decimal point among them, as money and health are written.
bool IsDecimalNumber(std::string_view text) {
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos) return IsWholeNumber(text);
  const std::string_view before = text.substr(0, point);
  const std::string_view after = text.substr(point + 1);
  return (before.empty() || IsWholeNumber(before)) && (after.empty() || IsWholeNumber(after)) &&
         !(before.empty() && after.empty());
}

bool IsItemCode(std::string_view text) {
  const std::size_t colon = text.find(':');
  return IsWholeNumber(text.substr(0, colon)) &&
         (colon == std::string_view::npos || IsWholeNumber(text.substr(colon + 1)));
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

bool IsOperator(std::string_view text) {
  return text == ">" || text == "<" || text == ">=" || text == "<=" || text == "==";
}

// The value as quoted in a message: its first characters, never a part of one.
std::string Quote(std::string_view value) {
  std::size_t end = 0;
  for (std::size_t count = 0; end < value.size() && count < kQuotedCharacters; ++count) {
    end += base::CharLength(value, end);
  }
  std::string quoted = "“" + std::string(value.substr(0, end));
  if (end < value.size()) quoted += "…";
  return quoted + "”";
}

std::string FirstWord(std::string_view text) {
  return std::string(text.substr(0, text.find(' ')));
}

// Collects the notes of one checked text; offsets and columns count from that text's start.
class NoteList {
 public:
  explicit NoteList(std::string_view text) : text_(text) {}

  void Add(NoteKind kind, std::size_t offset, std::string message) {
    notes_.push_back({kind, offset, ColumnOf(offset), std::move(message)});
  }

  void AddCodeProblem(ui::CodeProblem problem, std::size_t fieldOffset) {
    problem.offset += fieldOffset;
    problem.column = ColumnOf(problem.offset);
    const NoteKind kind = problem.kind == ui::CodeProblemKind::kHexColour ? NoteKind::kHexColour
                                                                          : NoteKind::kColourCode;
    notes_.push_back({kind, problem.offset, problem.column, ui::DescribeCodeProblem(problem)});
  }

  std::vector<LineNote> Sorted() && {
    std::stable_sort(notes_.begin(), notes_.end(),
                     [](const LineNote& a, const LineNote& b) { return a.offset < b.offset; });
    return std::move(notes_);
  }

 private:
  // Walks on from the last column asked for, so the notes of a long text cost one walk.
  std::size_t ColumnOf(std::size_t offset) {
    if (offset < walked_) {
      walked_ = 0;
      column_ = 1;
    }
    while (walked_ < offset && walked_ < text_.size()) {
      walked_ += base::CharLength(text_, walked_);
      ++column_;
    }
    return column_;
  }

  std::string_view text_;
  std::size_t walked_ = 0;
  std::size_t column_ = 1;
  std::vector<LineNote> notes_;
};

void CheckField(NoteList& notes, const ScriptLine& line, const FieldSpec& field, std::size_t index,
                std::size_t offset) {
  const std::string& value = line.fields[index];
  const std::string name(field.name);
  if (field.kind == FieldKind::kChatText) {
    if (field.required && value.empty()) {
      const bool subtitle =
          line.directive == Directive::kTitle && line.fields.size() > 1 && !line.fields[1].empty();
      notes.Add(NoteKind::kMissingPart, offset,
                subtitle ? "缺少主标题：没有主标题时副标题也不会显示" : "缺少" + name);
    }
    for (const ui::CodeProblem& problem : ui::ReadChatCodes(value).problems) {
      notes.AddCodeProblem(problem, offset);
    }
    return;
  }
  if (field.kind == FieldKind::kLine) return;
  // A field that is written must hold something, even one that may be left out.
  if (IsBlank(value)) {
    notes.Add(
        NoteKind::kMissingPart, offset,
        field.kind == FieldKind::kOperator ? "缺少比较符号（>、<、>=、<=、==）" : "缺少" + name);
    return;
  }
  switch (field.kind) {
    case FieldKind::kAmount:
    case FieldKind::kHealth:
      if (!IsDecimalNumber(value)) {
        notes.Add(NoteKind::kNotANumber, offset, name + "应是数字，这里是" + Quote(value));
      }
      break;
    case FieldKind::kTicks:
    case FieldKind::kLevel:
      if (!IsWholeNumber(value)) {
        notes.Add(NoteKind::kNotANumber, offset, name + "应是整数，这里是" + Quote(value));
      }
      break;
    case FieldKind::kItemCount:
      if (IsWholeNumber(value)) break;
      // "$item:57#####点 券 100 ...": the name ends at its space, and its second word becomes
      // the amount.
      if (line.directive == Directive::kItem && line.fields.size() == 4 &&
          IsWholeNumber(FirstWord(line.fields[3]))) {
        notes.Add(NoteKind::kNotANumber, offset,
                  "物品名字里不能有空格：插件会把" + Quote(value) + "当作物品数量");
      } else {
        notes.Add(NoteKind::kNotANumber, offset, name + "应是整数，这里是" + Quote(value));
      }
      break;
    case FieldKind::kItemCode:
      if (!IsItemCode(value)) {
        notes.Add(NoteKind::kNotANumber, offset,
                  name + "应是数字（可加 :数据值），这里是" + Quote(value));
      }
      break;
    case FieldKind::kOperator:
      if (!IsOperator(value)) {
        notes.Add(NoteKind::kBadOperator, offset,
                  "比较符号应是 >、<、>=、<=、== 之一，这里是" + Quote(value));
      }
      break;
    default:
      break;
  }
}

// The notes of the fields of the line that starts at lineOffset of the list's text.
void CheckFields(NoteList& notes, std::string_view text, std::size_t lineOffset) {
  const ScriptLine line = ParseScriptLine(text);
  const DirectiveForm& form = FormOf(line.directive);
  for (std::size_t i = 0; i < form.fields.size(); ++i) {
    // An absent field is noted where the line ends.
    const std::size_t offset = lineOffset + std::min(FieldOffset(line, i), text.size());
    if (i < line.fields.size()) {
      CheckField(notes, line, form.fields[i], i, offset);
    } else if (form.fields[i].required) {
      notes.Add(NoteKind::kMissingPart, offset, "缺少" + std::string(form.fields[i].name));
    }
  }
}

void CheckLine(NoteList& notes, std::string_view line, std::size_t lineOffset,
               std::size_t unreadCharacters) {
  CheckFields(notes, line, lineOffset);
  const std::size_t length = GameLength(line) + unreadCharacters;
  if (length + kShortestAddPrefix > kChatLimit) {
    notes.Add(NoteKind::kTooLongForChat, lineOffset,
              "这一行有 " + std::to_string(length) +
                  " 字，加上 /vrnl add 指令超过聊天框 256 字的上限，请在服务器控制台添加"
                  "（控制台不限长度）");
  }
}

}  // namespace

std::size_t GameLength(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += base::CharLength(text, at)) ++count;
  return count;
}

std::vector<LineNote> CheckScriptLine(std::string_view line, std::size_t unreadCharacters) {
  NoteList notes(line);
  CheckLine(notes, line, 0, unreadCharacters);
  return std::move(notes).Sorted();
}

std::vector<LineNote> CheckScriptLines(std::string_view text, std::size_t unreadCharacters) {
  NoteList notes(text);
  const std::vector<LineSpan> lines = SplitScriptLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool cut = unreadCharacters > 0 && i + 1 == lines.size();
    if (!cut) CheckLine(notes, text.substr(lines[i].offset, lines[i].length), lines[i].offset, 0);
  }
  return std::move(notes).Sorted();
}

std::vector<LineNote> CheckCommand(std::string_view command, std::size_t unreadCharacters) {
  NoteList notes(command);
  const std::size_t length = GameLength(command) + unreadCharacters;
  if (length > kChatLimit) {
    notes.Add(NoteKind::kTooLongForChat, 0,
              "指令有 " + std::to_string(length) +
                  " 字，超过游戏聊天框 256 字的上限，只能在服务器控制台输入（控制台不限长度）");
  }
  if (command.substr(0, kAddLineCommand.size()) == kAddLineCommand) {
    const std::size_t nameAt = kAddLineCommand.size();
    const std::size_t space = command.find(' ', nameAt);
    if (space == nameAt || nameAt == command.size()) {
      notes.Add(NoteKind::kMissingPart, nameAt, "缺少脚本名");
    } else if (space == std::string_view::npos || space + 1 == command.size()) {
      notes.Add(NoteKind::kMissingPart, command.size(), "缺少脚本行");
    } else if (unreadCharacters == 0) {
      CheckFields(notes, command.substr(space + 1), space + 1);
    }
  }
  return std::move(notes).Sorted();
}

}  // namespace compose
