// Script lines of the Varnel plugin as data: each directive's literal and the separators between
// its fields, and the reading of a line back into its directive and fields, so that a line can be
// checked, edited as fields and written again byte for byte. The builders write their lines with
// the same literals. GBK texts; no GBK trail byte lies below 0x40, so the ASCII separators used
// here (space, "#", the comparison signs) never match inside a double-byte character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace compose {

// What the builders write in front of their inputs.
inline constexpr std::string_view kBypassLiteral = "@bypass ";
inline constexpr std::string_view kCommandLiteral = "@command ";
inline constexpr std::string_view kConsoleLiteral = "@console ";
inline constexpr std::string_view kCostLiteral = "$cost:";
inline constexpr std::string_view kMessageLiteral = "@msg:";
inline constexpr std::string_view kTitleLiteral = "@title:";
inline constexpr std::string_view kItemLiteral = "$item:";
inline constexpr std::string_view kPermissionLiteral = "@perm:";
inline constexpr std::string_view kLevelLiteral = "@papi:%player_level%";
inline constexpr std::string_view kHealthLiteral = "@papi:%player_health%";
inline constexpr std::string_view kDelayLiteral = "@delay:";

// The fixed separators the builders put between inputs.
inline constexpr std::string_view kTitleSeparator = "##";          // main title, subtitle, timings
inline constexpr std::string_view kTitleTimings = "##10##60##10";  // fade in, stay, fade out
inline constexpr std::string_view kItemNameSeparator = "#####";

enum class Directive : std::uint8_t {
  kRaw,  // no directive this program knows: the whole line is its one field
  kBypass,
  kCommand,
  kConsole,
  kCost,
  kMessage,
  kTitle,
  kItem,             // id "#####" name " " amount " " message
  kItemWithoutName,  // id " " amount " " message, which the plugin reads too
  kPermission,
  kLevel,
  kHealth,
  kDelay,
};

// What a field holds, so that a checker knows what to expect of it.
enum class FieldKind : std::uint8_t {
  kLine,       // a raw line
  kCommand,    // a command the plugin runs
  kAmount,     // an amount of money: a number, decimals allowed
  kChatText,   // text players read: colour codes apply
  kTicks,      // a whole number of game ticks (20 a second)
  kItemCode,   // the game's numeric item code, optionally ":" and a data value
  kItemCount,  // a whole number of items
  kNode,       // a permission node
  kOperator,   // ">", "<", ">=", "<=" or "=="
  kLevel,      // a whole number
  kHealth,     // a number, decimals allowed
};

struct FieldSpec {
  FieldKind kind;
  std::string_view name;  // GBK, as the window labels the input, e.g. "物品数量"
  bool required;          // the line does nothing sensible without it (a field that is written
                          // must hold something all the same)
};

// One directive's form: literal, fields[0], separators[0], fields[1], ..., as far as a line has
// fields. separators has one entry fewer than fields.
struct DirectiveForm {
  Directive directive;
  std::string_view literal;
  std::span<const FieldSpec> fields;
  std::span<const std::string_view> separators;
};

const DirectiveForm& FormOf(Directive directive);

// Every directive with a literal, longest literal first where one literal starts another.
std::span<const DirectiveForm> DirectiveForms();

// A line read back into its parts. fields holds as many fields as the line wrote: a line that
// ends before a separator has fewer fields than its directive's form ("$cost:100" has one,
// "$cost:100 " two), so that writing it again gives the same bytes.
struct ScriptLine {
  Directive directive = Directive::kRaw;
  std::vector<std::string> fields;
  bool operator==(const ScriptLine&) const = default;
};

// Reads one line (without line break). Fields are split as the plugin splits them:
// - @bypass, @command, @console, @msg:, @delay: one field, the rest of the line.
// - $cost: and @perm: the text up to the first space, then the rest.
// - @title: split at "##": the first piece is the main title; when there are five pieces or more
//   the last three are the timings (fade in, stay, fade out; "@title:A##B##20##40##20" has five
//   fields) and the pieces between them the subtitle, "##" kept inside it; with two to four
//   pieces there are no timings and everything after the first "##" is the subtitle.
// - $item: with "#####": the id before it, then name, amount and message, each up to the next
//   space (a name with a space in it is cut there, as by the plugin). Without "#####": the short
//   form, id, amount and message split at spaces.
// - the level and health conditions: the operator (the signs "<", ">", "=", "!" at the start),
//   the number up to the first space, then the message; the first two fields are always there.
// A line that starts with no known literal comes back whole as a raw line.
ScriptLine ParseScriptLine(std::string_view text);

// Writes the line: the literal and the fields joined by the form's separators. Fields past the
// form's count are ignored; a raw line is its first field.
std::string ComposeScriptLine(const ScriptLine& line);

// Byte offset of field index inside ComposeScriptLine(line).
std::size_t FieldOffset(const ScriptLine& line, std::size_t index);

// Where each line of a text of glued lines lies. The builders add lines without a separator, so
// a line ends at a line break or where the next directive literal starts; a literal that starts
// inside a double-byte character is no literal.
struct LineSpan {
  std::size_t offset;
  std::size_t length;
};
std::vector<LineSpan> SplitScriptLines(std::string_view text);

}  // namespace compose
