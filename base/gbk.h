// How the program's texts are walked. Texts are GBK bytes (code page 936): a byte from 0x81 to
// 0xFE starts a double-byte character together with the byte after it, every other byte is a
// character of its own (0x80 is the euro sign). A UTF-16 unit that GBK cannot hold (an emoji's
// halves, a lone surrogate, U+2603) travels inside the program as an escape that valid GBK never
// contains: the byte 0xFF, which is neither a lead nor a trail byte, followed by the unit as four
// upper-case hex digits. The conversion at the Win32 boundary writes and reads these escapes, so
// what the user typed reaches the screen and the clipboard unchanged while every other part of
// the program keeps working on GBK.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace base {

inline constexpr unsigned char kUnitEscape = 0xFF;
inline constexpr std::size_t kUnitEscapeLength = 5;

constexpr bool IsLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

// The UTF-16 unit escaped at i, or nothing when no complete escape starts there.
[[nodiscard]] std::optional<char16_t> EscapedUnitAt(std::string_view text, std::size_t i);

// Bytes of the character starting at i (i < text.size()): an escape's five; two for a lead byte
// with a byte after it that is not the escape byte; otherwise one. Every walk over a text steps
// with this, from the text's start, so no search or cut ever begins inside a character.
std::size_t CharLength(std::string_view text, std::size_t i);

// Appends the escape of one UTF-16 unit.
void AppendEscapedUnit(std::string& text, char16_t unit);

// The text as a reader that knows only code page 936 sees it: every escape becomes '?', as the
// system's own conversion shows a character GBK has no code for. Other bytes stay as they are.
std::string PlainGbk(std::string_view text);

}  // namespace base
