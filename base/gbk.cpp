// Walking GBK texts and the escapes of units GBK cannot hold.
#include "base/gbk.h"

namespace base {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Only the digits the escape writer uses, so one unit has exactly one spelling.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<char16_t> EscapedUnitAt(std::string_view text, std::size_t i) {
  if (i + kUnitEscapeLength > text.size() || static_cast<unsigned char>(text[i]) != kUnitEscape) {
    return std::nullopt;
  }
  unsigned unit = 0;
  for (std::size_t k = 1; k < kUnitEscapeLength; ++k) {
    const int digit = HexValue(text[i + k]);
    if (digit < 0) return std::nullopt;
    unit = unit * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<char16_t>(unit);
}

std::size_t CharLength(std::string_view text, std::size_t i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (IsLeadByte(byte)) {
    const bool trail =
        i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) != kUnitEscape;
    return trail ? 2 : 1;
  }
  if (byte == kUnitEscape && EscapedUnitAt(text, i)) return kUnitEscapeLength;
  return 1;
}

void AppendEscapedUnit(std::string& text, char16_t unit) {
  const char escape[kUnitEscapeLength] = {
      static_cast<char>(kUnitEscape), kHexDigits[(unit >> 12) & 0xF], kHexDigits[(unit >> 8) & 0xF],
      kHexDigits[(unit >> 4) & 0xF], kHexDigits[unit & 0xF]};
  text.append(escape, kUnitEscapeLength);
}

std::string PlainGbk(std::string_view text) {
  // 0xFF is never a trail byte, so every 0xFF starts a character and a byte search finds the
  // escapes without walking the text.
  std::string plain;
  plain.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t i = text.find(static_cast<char>(kUnitEscape)); i != std::string_view::npos;
       i = text.find(static_cast<char>(kUnitEscape), i + 1)) {
    if (!EscapedUnitAt(text, i)) continue;
    plain.append(text, copied, i - copied);
    plain += '?';
    copied = i + kUnitEscapeLength;
    i = copied - 1;
  }
  plain.append(text, copied);
  return plain;
}

}  // namespace base
