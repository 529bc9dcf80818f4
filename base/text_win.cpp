// GBK <-> UTF-16 through code page 936, with escapes for what GBK cannot hold. A text the system
// converts both ways unchanged takes the system's conversion whole; only a text that holds a unit
// without a GBK code is converted unit by unit, through a table built on first need.
#include "base/text_win.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "base/gbk.h"

namespace base {
namespace {

// The GBK code of a UTF-16 unit: one byte below 0x100, a lead and a trail byte as lead * 256 +
// trail, or kNoCode for a unit that does not come back unchanged (and for surrogates, which
// code page 936 has no codes for).
constexpr std::uint16_t kNoCode = 0xFFFF;

using CodeTable = std::array<std::uint16_t, 0x10000>;

CodeTable BuildCodeTable() {
  CodeTable table{};
  for (unsigned u = 0; u < 0x10000; ++u) {
    table[u] = kNoCode;
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const auto unit = static_cast<wchar_t>(u);
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes,
                                           sizeof bytes, nullptr, &usedDefault);
    if (length < 1 || length > 2 || usedDefault) continue;
    const auto first = static_cast<unsigned char>(bytes[0]);
    const auto second = static_cast<unsigned char>(bytes[1]);
    if (first == kUnitEscape || (length == 2 && second == kUnitEscape)) continue;
    if (length == 2 && !IsLeadByte(first)) continue;
    if (length == 1 && IsLeadByte(first)) continue;
    wchar_t back[2] = {};
    if (MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, length, back, 2) != 1 ||
        back[0] != unit) {
      continue;
    }
    table[u] = static_cast<std::uint16_t>(length == 1 ? first : first * 256 + second);
  }
  return table;
}

const CodeTable& Codes() {
  static const CodeTable table = BuildCodeTable();
  return table;
}

// The system's conversion, when it carries the whole text both ways unchanged and writes no
// escape byte (code page 936 gives 0xFF a code of its own).
bool ConvertWhole(std::wstring_view wide, std::string& gbk) {
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                         nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  gbk.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, gbk.data(), length,
                      nullptr, &usedDefault);
  if (usedDefault || std::memchr(gbk.data(), kUnitEscape, gbk.size()) != nullptr) return false;
  return WideFromGbk(gbk) == wide;
}

void AppendConverted(std::wstring& wide, std::string_view gbk) {
  if (gbk.empty()) return;
  const int size = static_cast<int>(gbk.size());
  const int length = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, nullptr, 0);
  if (length <= 0) return;
  const std::size_t at = wide.size();
  wide.resize(at + static_cast<std::size_t>(length));
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, wide.data() + at, length);
}

}  // namespace

std::wstring WideFromGbk(std::string_view gbk) {
  std::wstring wide;
  std::size_t copied = 0;
  // 0xFF never follows a lead byte as its trail, so each one found starts a character.
  for (std::size_t i = gbk.find(static_cast<char>(kUnitEscape)); i != std::string_view::npos;
       i = gbk.find(static_cast<char>(kUnitEscape), i + 1)) {
    const std::optional<char16_t> unit = EscapedUnitAt(gbk, i);
    if (!unit) continue;
    AppendConverted(wide, gbk.substr(copied, i - copied));
    wide += static_cast<wchar_t>(*unit);
    copied = i + kUnitEscapeLength;
    i = copied - 1;
  }
  AppendConverted(wide, gbk.substr(copied));
  return wide;
}

std::string GbkFromWide(std::wstring_view wide) {
  std::string gbk;
  if (wide.empty() || ConvertWhole(wide, gbk)) return gbk;
  const CodeTable& codes = Codes();
  gbk.clear();
  gbk.reserve(wide.size() * 2);
  for (const wchar_t unit : wide) {
    const std::uint16_t code = codes[static_cast<std::uint16_t>(unit)];
    if (code == kNoCode) {
      AppendEscapedUnit(gbk, static_cast<char16_t>(unit));
    } else if (code < 0x100) {
      gbk += static_cast<char>(code);
    } else {
      gbk += static_cast<char>(code >> 8);
      gbk += static_cast<char>(code & 0xFF);
    }
  }
  return gbk;
}

std::string PlainGbkFromWide(std::wstring_view wide) {
  const CodeTable& codes = Codes();
  std::string plain(wide.size() * 2, '\0');
  char* out = plain.data();
  for (const wchar_t unit : wide) {
    const std::uint16_t code = codes[static_cast<std::uint16_t>(unit)];
    if (code == kNoCode) {
      *out++ = '?';
    } else if (code < 0x100) {
      *out++ = static_cast<char>(code);
    } else {
      *out++ = static_cast<char>(code >> 8);
      *out++ = static_cast<char>(code & 0xFF);
    }
  }
  plain.resize(static_cast<std::size_t>(out - plain.data()));
  return plain;
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

WindowTextStart ReadWindowTextStart(HWND hwnd, std::size_t maxUnits) {
  WindowTextStart start;
  start.length = static_cast<std::size_t>(std::max(GetWindowTextLengthW(hwnd), 0));
  const std::size_t wanted = std::min(start.length, maxUnits);
  start.text.assign(wanted + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, start.text.data(), static_cast<int>(wanted + 1));
  start.text.resize(std::min(wanted, static_cast<std::size_t>(copied > 0 ? copied : 0)));
  return start;
}

}  // namespace base
