// Conversions between the program's GBK texts and the UTF-16 of the W APIs. Code page 936 is
// named explicitly, so the conversions do not depend on the system locale.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace base {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring WideFromGbk(std::string_view gbk);
// Characters GBK cannot hold become '?'; the rest of the text is kept.
std::string GbkFromWide(std::wstring_view wide);

// The whole text of a window of this process.
std::wstring WindowText(HWND hwnd);

}  // namespace base
