// How the colour-code preview lays a chat text out: its runs broken into pieces that fit the
// popup's width, line by line, with a last "……" line when the text is longer than the lines the
// popup shows, and the note lines under them. Texts come in as GBK and leave as UTF-16, which is
// what the glyphs are measured and drawn in; measuring goes through a seam, so the layout is the
// same whatever draws it.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/colour_codes.h"

namespace ui {

inline constexpr int kChatPadding = 5;
inline constexpr int kChatLineHeight = 20;
inline constexpr int kChatMaxWidth = 560;
inline constexpr int kChatMaxLines =
    16;  // an output box may hold pages; the preview shows its start
inline constexpr int kNoteLineHeight = 16;
inline constexpr std::size_t kMaxNoteLines = 6;

// What laying out needs from the drawing surface.
class ChatMeasure {
 public:
  virtual ~ChatMeasure() = default;
  // Where each character of text ends, from the text's start, in the chat font of style (only
  // bold and italic change the font): ends has one entry per UTF-16 unit.
  virtual void CharacterEnds(std::u16string_view text, const ChatStyle& style,
                             std::span<int> ends) = 0;
  // The width of a note line in the notes' font.
  virtual int NoteWidth(std::u16string_view text) = 0;
};

// A stretch of one run on one line.
struct ChatPiece {
  std::u16string text;
  std::vector<int> starts;  // each character's x within the piece (obfuscated pieces only)
  int x = 0;                // from the left of the text area
  int line = 0;
  int width = 0;
  ChatStyle style;
  RunKind kind = RunKind::kText;
  bool operator==(const ChatPiece&) const = default;
};

// One line under the chat lines: a problem, or information (drawn apart from problems).
struct ChatNoteLine {
  std::u16string text;
  bool problem = true;
  bool operator==(const ChatNoteLine&) const = default;
};

// A note given by the preview's owner, before the code problems. GBK.
struct ChatNote {
  std::string text;
  bool problem = true;
};

struct ChatLayout {
  std::vector<ChatPiece> pieces;
  std::vector<ChatNoteLine> notes;
  bool obfuscated = false;  // some piece shows fresh glyphs on every drawing
  int chatHeight = 0;       // the chat lines with their padding; the notes start there
  int width = 0;
  int height = 0;
};

// Lays chat out: pieces that fit kChatMaxWidth less the padding, a line break in the text
// starting a new line, at most kChatMaxLines lines and then a "……" line; under them notes, then
// the code problems, at most kMaxNoteLines lines, the last saying how many more there are.
// wideFromGbk is the program's GBK conversion.
ChatLayout LayOutChat(const ChatLine& chat, std::span<const ChatNote> notes, ChatMeasure& measure,
                      std::u16string (*wideFromGbk)(std::string_view gbk));

}  // namespace ui
