// The game's chat colour and format codes, read the way the game reads them, so that a message
// can be previewed before it is pasted, and a server's answer shown in its colours. A code is a
// sign and one letter or digit, in either case. The sign admins type is "&", which plugins turn
// into the game's own sign "§" (GBK A1 EC); the server writes "§" in what it answers. The codes:
// &0-&9 and &a-&f the sixteen chat colours, &k obfuscated, &l bold, &m strikethrough, &n
// underline, &o italic, &r reset. A colour code also clears every format, as in the game.
// Servers of 1.16 and later also read any colour as hex digits, "&#RRGGBB" or
// "&x&R&R&G&G&B&B" (either case, either sign); the reader applies them and notes that they need
// such a server. Anything else after a sign is shown by the game as written; the reader keeps it in
// the text and reports it. Texts are GBK: a double-byte character or an escape of a unit GBK lacks
// (base/gbk.h) is never split.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

inline constexpr int kChatColourCount = 16;
inline constexpr int kDefaultChatColour = 15;  // white, the colour of text before any code

struct ChatStyle {
  int colour = kDefaultChatColour;  // 0 to 15, the code's digit
  std::int32_t rgb = -1;            // a hex code's 0xRRGGBB, which wins over colour; -1: none
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  bool obfuscated = false;
  bool operator==(const ChatStyle&) const = default;
};

enum class RunKind : std::uint8_t {
  kText,
  kPlaceholder,  // a PlaceholderAPI placeholder such as %player%, kept as written
  kFlagged,      // characters the game shows as written although they look like a code
};

struct ChatRun {
  std::string text;  // GBK, without the codes that styled it
  ChatStyle style;
  RunKind kind = RunKind::kText;
  bool operator==(const ChatRun&) const = default;
};

// Which signs start a code: what an admin types reads "&" (the default), a server's answer "§".
enum class CodeSigns : std::uint8_t {
  kAmpersand = 1,
  kSection = 2,
  kBoth = 3,
};

enum class CodeProblemKind : std::uint8_t {
  kUnknownCode,         // a sign followed by something that is no code, e.g. "&z"
  kLoneAmpersand,       // a sign at the end of the text, or right before another sign
  kFormatBeforeColour,  // a format code whose format a following colour or reset code clears
  kHexColour,           // no problem on 1.16 and later: a hex colour code, which older servers
                        // show as written
};

struct CodeProblem {
  CodeProblemKind kind;
  std::size_t offset;     // byte offset of the sign in the text
  std::size_t column;     // 1-based character position of the sign (a two-byte character is one)
  std::string code;       // the code as written, e.g. "&z", "&l", "§l"; a lone sign alone
  std::string clearedBy;  // kFormatBeforeColour: the colour or reset code, e.g. "&c"
  bool operator==(const CodeProblem&) const = default;
};

struct ChatLine {
  std::vector<ChatRun> runs;          // neighbouring text of one style is one run
  std::vector<CodeProblem> problems;  // in text order
};

// Reads a message's codes, started by signs. Never fails; every byte of the text that is not a
// valid code ends up in exactly one run, in order.
ChatLine ReadChatCodes(std::string_view text, CodeSigns signs = CodeSigns::kAmpersand);

// The chat colour of code digit index (0 to 15) as 0xRRGGBB, and the colour of its shadow.
std::uint32_t ChatColour(int index);
std::uint32_t ChatShadowColour(int index);

// The colour text of style is drawn in, hex or not, as 0xRRGGBB, and that of its shadow.
std::uint32_t StyleColour(const ChatStyle& style);
std::uint32_t StyleShadowColour(const ChatStyle& style);

// One line telling the admin what the problem is and what the game will do (for a hex colour:
// which servers read it), in GBK.
std::string DescribeCodeProblem(const CodeProblem& problem);

}  // namespace ui
