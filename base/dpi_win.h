// The DPI owner: what DPI the screen, the system and a window have, the DPI a top-level window's
// layout is made for, system metrics at a DPI, and the faces that can show Chinese when a wanted
// face cannot. Windows 7 has one DPI for the whole system; Windows 10 gives each window its
// monitor's, through functions that older systems lack, so those are looked up in user32 (always
// loaded) when first asked.
//
// Header only and free of the C run-time: the skin engine DLL shares it with the program.
#pragma once

#include <windows.h>

#include "base/dpi.h"
#include "base/scoped_win.h"
#include "base/skin_parts.h"

namespace base {

namespace dpi_detail {
inline void* User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 != nullptr ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}
// What the system answers when it does not know (0), or a value nobody could mean, is no DPI.
constexpr bool Plausible(long long dpi) {
  return dpi >= 48 && dpi <= 960;
}
}  // namespace dpi_detail

// The screen's DPI as GDI reports it (the system DPI of a process that is not DPI-aware).
inline int ScreenDpi() {
  ScopedGetDc screen(nullptr);
  const int dpi = screen.Get() != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
  return dpi > 0 ? dpi : kBaseDpi;
}

// The DPI new windows are first laid out for: the system's (on Windows 10 the primary monitor's
// when the user signed in). The monitor's own DPI is not asked, which would load shcore before
// the first window shows.
inline int SystemDpi() {
  using Function = UINT(WINAPI*)();
  static const auto forSystem =
      reinterpret_cast<Function>(dpi_detail::User32Function("GetDpiForSystem"));
  const UINT dpi = forSystem != nullptr ? forSystem() : 0;
  return dpi_detail::Plausible(dpi) ? static_cast<int>(dpi) : ScreenDpi();
}

// The DPI of a window's monitor as the system gives it to the window.
inline int WindowDpi(HWND hwnd) {
  using Function = UINT(WINAPI*)(HWND);
  static const auto forWindow =
      reinterpret_cast<Function>(dpi_detail::User32Function("GetDpiForWindow"));
  const UINT dpi = forWindow != nullptr && hwnd != nullptr ? forWindow(hwnd) : 0;
  return dpi_detail::Plausible(dpi) ? static_cast<int>(dpi) : ScreenDpi();
}

// A system metric (a frame, an icon size) at dpi; before Windows 10 the system's, scaled from
// the screen's DPI.
inline int SystemMetricForDpi(int metric, int dpi) {
  using Function = int(WINAPI*)(int, UINT);
  static const auto forDpi =
      reinterpret_cast<Function>(dpi_detail::User32Function("GetSystemMetricsForDpi"));
  if (forDpi != nullptr) return forDpi(metric, static_cast<UINT>(dpi));
  return ScaleBetweenDpis(GetSystemMetrics(metric), ScreenDpi(), dpi);
}

// The DPI a top-level window's layout is made for is told to whoever draws in it (the control
// kinds, the skin engine) through a property of the top-level window (skin_parts::kDpiProperty).
inline void TellLayoutDpi(HWND top, int dpi) {
  SetPropW(top, skin_parts::kDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
}
inline void ForgetLayoutDpi(HWND top) {
  RemovePropW(top, skin_parts::kDpiProperty);
}
// The layout DPI told to the top-level window holding window (or to window itself), or 0 when
// it was told none.
inline int ToldLayoutDpi(HWND window) {
  if (window == nullptr) return 0;
  HWND root = GetAncestor(window, GA_ROOT);
  if (root == nullptr) root = window;
  const auto told = reinterpret_cast<INT_PTR>(GetPropW(root, skin_parts::kDpiProperty));
  return dpi_detail::Plausible(told) ? static_cast<int>(told) : 0;
}
// The DPI window's layout is made for: the told one, else 96 (laid out as described).
inline int LayoutDpiOf(HWND window) {
  const int told = ToldLayoutDpi(window);
  return told != 0 ? told : kBaseDpi;
}

// Faces that show Chinese well, best first; a system may list a face by its Chinese or its
// English name, so both are here. Any other face with the GB2312 set comes after them.
inline constexpr const wchar_t* kChineseFallbackFaces[] = {L"Microsoft YaHei",
                                                           L"\u5fae\u8f6f\u96c5\u9ed1",  // 微软雅黑
                                                           L"SimSun",
                                                           L"\u5b8b\u4f53",  // 宋体
                                                           L"NSimSun",
                                                           L"SimHei",
                                                           L"WenQuanYi Micro Hei",
                                                           L"WenQuanYi Zen Hei",
                                                           L"Noto Sans CJK SC",
                                                           L"Source Han Sans SC",
                                                           L"Droid Sans Fallback"};
inline constexpr int kChineseFallbackFaceCount =
    static_cast<int>(sizeof kChineseFallbackFaces / sizeof kChineseFallbackFaces[0]);

}  // namespace base
