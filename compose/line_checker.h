// Checks of composed script lines and commands before they are copied: what the plugin or the
// game would refuse or show differently from what was meant. Checks only ever inform: nothing is
// blocked and no text is changed. Texts and messages are GBK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace compose {

// The game's chat takes at most this many characters in one line, a typed command included.
inline constexpr std::size_t kChatLimit = 256;

enum class NoteKind : std::uint8_t {
  kMissingPart,     // a part the directive needs is empty or absent
  kNotANumber,      // a field that must be a number is not one
  kBadOperator,     // a comparison other than ">", "<", ">=", "<=", "=="
  kColourCode,      // a colour or format code the game shows as written or ignores
  kHexColour,       // a hex colour code: fine, but only on servers of 1.16 or later
  kTooLongForChat,  // more than kChatLimit characters: only the server console takes it
};

// Whether the note is a problem; a hex colour note is information only.
constexpr bool IsProblem(NoteKind kind) {
  return kind != NoteKind::kHexColour;
}

struct LineNote {
  NoteKind kind;
  std::size_t offset;   // byte offset in the checked text where the note applies
  std::size_t column;   // 1-based character position of offset (a double-byte character is one)
  std::string message;  // one short line, GBK
  bool operator==(const LineNote&) const = default;
};

// Characters of text as the game counts them: Java counts UTF-16 units, so a double-byte GBK
// character is one, an escape of a unit GBK lacks is one, and an emoji (two escaped units) two.
std::size_t GameLength(std::string_view text);

// Checks one script line (without line break): its directive's numbers, operator and required
// parts, the colour codes of its texts that players read, and whether "/vrnl add NAME " with
// the line still fits in the chat. unreadCharacters: how many characters the line has beyond
// text, when only its start was read (they count towards the length only). In text order.
std::vector<LineNote> CheckScriptLine(std::string_view line, std::size_t unreadCharacters = 0);

// Checks each line of a text of glued lines (the script-line output box). When the text was cut
// (unreadCharacters > 0), its last line is not checked: it may end early.
std::vector<LineNote> CheckScriptLines(std::string_view text, std::size_t unreadCharacters = 0);

// Checks a command as it will be typed: its length against the chat's limit, and the script line
// inside a "/vrnl add NAME LINE" command.
std::vector<LineNote> CheckCommand(std::string_view command, std::size_t unreadCharacters = 0);

}  // namespace compose
