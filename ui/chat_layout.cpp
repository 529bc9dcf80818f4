#include "ui/chat_layout.h"

#include <algorithm>
#include <utility>

namespace ui {
namespace {

std::u16string Digits(std::size_t number) {
  const std::string ascii = std::to_string(number);
  return {ascii.begin(), ascii.end()};
}

// The state of breaking runs into lines: where the next piece goes and how wide the text is.
struct Breaker {
  ChatLayout& layout;
  ChatMeasure& measure;
  int x = 0;
  int line = 0;
  int widest = 0;
  std::vector<int> ends;

  static constexpr int kAvailable = kChatMaxWidth - 2 * kChatPadding;

  void NewLine() {
    x = 0;
    ++line;
  }

  // Places the text of one run, which holds no line break, from its start; at leaves it where
  // it stopped (the line limit reached).
  void PlaceStretch(std::u16string_view text, const ChatRun& run, std::size_t& at) {
    while (at < text.size() && line < kChatMaxLines) {
      const std::u16string_view rest = text.substr(at);
      ends.assign(rest.size(), 0);
      measure.CharacterEnds(rest, run.style, ends);
      std::size_t fit = 0;
      while (fit < rest.size() && x + ends[fit] <= kAvailable) ++fit;
      if (fit == 0 && x > 0) {  // nothing more fits on this line
        NewLine();
        continue;
      }
      fit = std::max<std::size_t>(fit, 1);
      ChatPiece piece;
      piece.text = rest.substr(0, fit);
      piece.x = x;
      piece.line = line;
      piece.width = ends[fit - 1];
      piece.style = run.style;
      piece.kind = run.kind;
      if (run.style.obfuscated) {
        layout.obfuscated = true;
        piece.starts.push_back(0);
        piece.starts.insert(piece.starts.end(), ends.begin(),
                            ends.begin() + static_cast<std::ptrdiff_t>(fit - 1));
      }
      x += piece.width;
      widest = std::max(widest, x);
      layout.pieces.push_back(std::move(piece));
      at += fit;
      if (at < text.size()) NewLine();
    }
  }

  void PlaceRun(const ChatRun& run, const std::u16string& wide) {
    std::size_t at = 0;
    while (at < wide.size() && line < kChatMaxLines) {
      if (wide[at] == u'\r') {
        ++at;
        continue;
      }
      if (wide[at] == u'\n') {
        ++at;
        NewLine();
        continue;
      }
      std::size_t end = wide.find_first_of(u"\r\n", at);
      if (end == std::u16string::npos) end = wide.size();
      std::size_t placed = 0;
      PlaceStretch(std::u16string_view(wide).substr(at, end - at), run, placed);
      at += placed;
    }
  }
};

std::vector<ChatNoteLine> NoteLines(const ChatLine& chat, std::span<const ChatNote> notes,
                                    std::u16string (*wideFromGbk)(std::string_view)) {
  std::vector<ChatNote> all(notes.begin(), notes.end());
  for (const CodeProblem& problem : chat.problems) {
    all.push_back({DescribeCodeProblem(problem), problem.kind != CodeProblemKind::kHexColour});
  }
  std::vector<ChatNoteLine> lines;
  for (const ChatNote& note : all) {
    if (lines.size() == kMaxNoteLines - 1 && all.size() > kMaxNoteLines) {
      lines.push_back({u"！ 还有 " + Digits(all.size() - lines.size()) + u" 处问题", true});
      break;
    }
    lines.push_back({(note.problem ? u"！ " : u"※ ") + wideFromGbk(note.text), note.problem});
  }
  return lines;
}

}  // namespace

ChatLayout LayOutChat(const ChatLine& chat, std::span<const ChatNote> notes, ChatMeasure& measure,
                      std::u16string (*wideFromGbk)(std::string_view gbk)) {
  ChatLayout layout;
  Breaker breaker{layout, measure};
  for (const ChatRun& run : chat.runs) {
    if (breaker.line >= kChatMaxLines) break;
    breaker.PlaceRun(run, wideFromGbk(run.text));
  }
  int lines = breaker.line;
  if (lines >= kChatMaxLines) {  // cut short: say so on a last line of its own
    ChatPiece more;
    more.text = u"……";
    more.line = kChatMaxLines;
    more.style.colour = 7;
    std::vector<int> ends(more.text.size(), 0);
    measure.CharacterEnds(more.text, more.style, ends);
    more.width = ends.back();
    layout.pieces.push_back(std::move(more));
    lines = kChatMaxLines;
  }
  layout.notes = NoteLines(chat, notes, wideFromGbk);
  int widest = breaker.widest;
  for (const ChatNoteLine& note : layout.notes) {
    widest = std::max(widest, measure.NoteWidth(note.text));
  }
  layout.chatHeight = (lines + 1) * kChatLineHeight + 2 * kChatPadding;
  const int notesHeight =
      layout.notes.empty()
          ? 0
          : static_cast<int>(layout.notes.size()) * kNoteLineHeight + 2 * kChatPadding;
  layout.width = std::min(widest, Breaker::kAvailable) + 2 * kChatPadding;
  layout.height = layout.chatHeight + notesHeight;
  return layout;
}

}  // namespace ui
