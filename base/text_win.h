// The one conversion between the program's GBK texts and the UTF-16 of the W APIs. Code page 936
// is named explicitly, so nothing depends on the system locale. A UTF-16 unit that code page 936
// cannot carry both ways becomes the escape described in base/gbk.h and comes back as the same
// unit, so WideFromGbk(GbkFromWide(w)) == w for every UTF-16 text, lone surrogates included.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring WideFromGbk(std::string_view gbk);
std::string GbkFromWide(std::wstring_view wide);

// The text as a reader that knows only code page 936 sees it: GBK bytes with '?' for each unit
// GBK cannot hold. The bytes of PlainGbk(GbkFromWide(wide)), made in one pass.
std::string PlainGbkFromWide(std::wstring_view wide);

// The whole text of a window of this process.
std::wstring WindowText(HWND hwnd);

// The start of a window's text, at most maxUnits UTF-16 units, read without copying the rest
// (an edit box may hold megabytes), and the length of the whole text in units.
struct WindowTextStart {
  std::wstring text;
  std::size_t length = 0;
};
WindowTextStart ReadWindowTextStart(HWND hwnd, std::size_t maxUnits);

}  // namespace base
