// The script's commands and the reading of pasted text (GBK). Lines are split at single-byte
// CR and LF and at ASCII literals; no GBK trail byte lies below 0x40, so none of them can match
// inside a double-byte character, and the glued-line split walks characters itself.
#include "compose/script_commands.h"

#include <algorithm>
#include <optional>

#include "compose/command_table.h"
#include "compose/line_checker.h"

namespace compose {
namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The console takes its commands in either case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

struct VrnlCommand {
  std::string_view name;
  std::optional<std::string_view> line;  // an add command's; none for a create command
};

// "/vrnl add NAME LINE" or "/vrnl create NAME", the slash optional as in the server console,
// blanks before it allowed. A command without its parts is none: its line stays a row.
std::optional<VrnlCommand> ReadVrnlCommand(std::string_view line) {
  std::string_view rest = line.substr(std::min(line.find_first_not_of(" \t"), line.size()));
  if (rest.starts_with('/')) rest.remove_prefix(1);
  if (!StartsWithIgnoringCase(rest, "vrnl ")) return std::nullopt;
  rest.remove_prefix(5);
  if (StartsWithIgnoringCase(rest, "add ")) {
    rest.remove_prefix(4);
    const std::size_t space = rest.find(' ');
    if (space == 0 || space == std::string_view::npos) return std::nullopt;
    return VrnlCommand{rest.substr(0, space), rest.substr(space + 1)};
  }
  if (StartsWithIgnoringCase(rest, "create ")) {
    rest.remove_prefix(7);
    rest = rest.substr(0, rest.find_last_not_of(" \t") + 1);
    if (rest.empty() || rest.find(' ') != std::string_view::npos) return std::nullopt;
    return VrnlCommand{rest, std::nullopt};
  }
  return std::nullopt;
}

// Whether next, read as part of the line before it, falls into text that may hold anything (a
// message, a command, a raw line): then the split is only one reading.
bool MayBeOneLine(std::string_view before, std::string_view next) {
  const ScriptLine joined = ParseScriptLine(std::string(before) + std::string(next));
  const DirectiveForm& form = FormOf(joined.directive);
  const std::size_t at = before.size();
  for (std::size_t i = 0; i < joined.fields.size() && i < form.fields.size(); ++i) {
    const std::size_t offset = FieldOffset(joined, i);
    if (at < offset || at >= offset + joined.fields[i].size()) continue;
    const FieldKind kind = form.fields[i].kind;
    return kind == FieldKind::kChatText || kind == FieldKind::kCommand || kind == FieldKind::kLine;
  }
  return false;
}

void MarkAmbiguity(PastedScript& pasted, std::size_t row) {
  if (row == 0 || row >= pasted.rows.size()) return;
  PastedRow& current = pasted.rows[row];
  current.ambiguous = current.glued && MayBeOneLine(pasted.rows[row - 1].line, current.line);
}

int ScriptIndex(std::vector<std::string>& names, std::string_view name) {
  const auto found = std::find(names.begin(), names.end(), name);
  if (found != names.end()) return static_cast<int>(found - names.begin());
  names.emplace_back(name);
  return static_cast<int>(names.size() - 1);
}

}  // namespace

std::string ScriptNameProblem(std::string_view name) {
  if (name.empty()) return "脚本名不能为空";
  if (name.find_first_of("\r\n") != std::string_view::npos) return "脚本名里不能有换行";
  if (name.find(' ') != std::string_view::npos) {
    return "脚本名里不能有空格：插件把第一个空格后面的部分当作脚本行";
  }
  return {};
}

std::string CreateCommand(std::string_view name) {
  return std::string(kCreateScriptCommand) + std::string(name);
}

std::string AddCommand(std::string_view name, std::string_view line) {
  std::string command(kAddLineCommand);
  command.reserve(command.size() + name.size() + 1 + line.size());
  command.append(name);
  command += ' ';
  command.append(line);
  return command;
}

std::vector<ScriptCommand> ScriptCommands(std::string_view name, std::span<const ScriptLine> rows,
                                          bool withCreate) {
  std::vector<ScriptCommand> commands;
  commands.reserve(rows.size() + 1);
  const auto add = [&commands](std::string text) {
    const bool tooLong = GameLength(text) > kChatLimit;
    commands.push_back({std::move(text), tooLong});
  };
  if (withCreate) add(CreateCommand(name));
  for (const ScriptLine& row : rows) add(AddCommand(name, ComposeScriptLine(row)));
  return commands;
}

std::string CommandBlock(std::span<const ScriptCommand> commands) {
  std::size_t size = 0;
  for (const ScriptCommand& command : commands) size += command.text.size() + 2;
  std::string block;
  block.reserve(size);
  for (const ScriptCommand& command : commands) {
    if (!block.empty()) block += "\r\n";
    block += command.text;
  }
  return block;
}

PastedScript ReadPastedText(std::string_view text) {
  PastedScript pasted;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty()) continue;
    if (const std::optional<VrnlCommand> command = ReadVrnlCommand(line)) {
      const int script = ScriptIndex(pasted.names, command->name);
      if (command->line) pasted.rows.push_back({std::string(*command->line), script});
      continue;
    }
    bool glued = false;
    for (const LineSpan& span : SplitScriptLines(line)) {
      pasted.rows.push_back({std::string(line.substr(span.offset, span.length)), -1, glued});
      MarkAmbiguity(pasted, pasted.rows.size() - 1);
      glued = true;
    }
  }
  return pasted;
}

bool JoinWithPrevious(PastedScript& pasted, std::size_t row) {
  if (row == 0 || row >= pasted.rows.size() || !pasted.rows[row].ambiguous) return false;
  pasted.rows[row - 1].line += pasted.rows[row].line;
  pasted.rows.erase(pasted.rows.begin() + static_cast<std::ptrdiff_t>(row));
  // The longer line may read differently at both its ends.
  MarkAmbiguity(pasted, row - 1);
  MarkAmbiguity(pasted, row);
  return true;
}

void KeepScript(PastedScript& pasted, std::size_t script) {
  if (script >= pasted.names.size()) return;
  const int kept = static_cast<int>(script);
  std::erase_if(pasted.rows,
                [kept](const PastedRow& row) { return row.script != -1 && row.script != kept; });
  for (PastedRow& row : pasted.rows) {
    if (row.script == kept) row.script = 0;
  }
  pasted.names = {pasted.names[script]};
}

std::vector<ScriptLine> PastedLines(const PastedScript& pasted) {
  std::vector<ScriptLine> lines;
  lines.reserve(pasted.rows.size());
  for (const PastedRow& row : pasted.rows) lines.push_back(ParseScriptLine(row.line));
  return lines;
}

}  // namespace compose
