// UTF-8 <-> UTF-16, with the three-byte form of lone surrogates so that no UTF-16 text is lost.
#include "base/unicode.h"

namespace base {
namespace {

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& text, char32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (code >> 18));
    text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The code point at i and its length, or a length of 0 when no well-formed sequence starts there.
struct Decoded {
  char32_t code = 0;
  std::size_t length = 0;
};

Decoded DecodeAt(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 4;
  char32_t code = lead & 0x07;
  char32_t lowest = 0x10000;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
    lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    lowest = 0x800;
  } else if (lead < 0xF0 || lead > 0xF4) {
    return {};
  }
  if (i + length > text.size()) return {};
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[i + k]);
    if ((byte & 0xC0) != 0x80) return {};
    code = (code << 6) | (byte & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF) return {};
  return {code, length};
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string utf8;
  utf8.reserve(text.size() * 3 / 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(utf8, unit);
    }
  }
  return utf8;
}

std::optional<std::u16string> Utf16FromUtf8(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  bool afterLoneHigh = false;
  for (std::size_t i = 0; i < text.size();) {
    const Decoded decoded = DecodeAt(text, i);
    if (decoded.length == 0) return std::nullopt;
    i += decoded.length;
    const char32_t code = decoded.code;
    // A high surrogate written alone must not be followed by a low one written alone: together
    // they would have been one four-byte character.
    if (IsLowSurrogate(code) && afterLoneHigh) return std::nullopt;
    afterLoneHigh = IsHighSurrogate(code);
    if (code >= 0x10000) {
      wide += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<char16_t>(code);
    }
  }
  return wide;
}

std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian) {
  std::u16string wide(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    wide[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  return wide;
}

}  // namespace base
