// GBK <-> UTF-16 through code page 936.
#include "base/text_win.h"

namespace base {

std::wstring WideFromGbk(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int length =
      MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(),
                      length);
  return wide;
}

std::string GbkFromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(kGbkCodePage, 0, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
  if (length <= 0) return {};
  std::string gbk(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), gbk.data(),
                      length, "?", nullptr);
  return gbk;
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace base
