// Small Win32 helpers every layer's windows share: the program's module, registering a window
// class, and the program's 0xRRGGBB colours as COLORREF.
#pragma once

#include <windows.h>

#include "base/geometry.h"

namespace base {

// The module the program's code lives in: every window class and resource of ours is there.
inline HINSTANCE ProgramInstance() {
  return GetModuleHandleW(nullptr);
}

struct WindowClass {
  const wchar_t* name = nullptr;
  WNDPROC procedure = nullptr;
  UINT style = 0;
  HBRUSH background = nullptr;
  bool arrowCursor = true;
};

// Registers the class in the program's module. True when it is registered now or already was.
inline bool RegisterWindowClass(const WindowClass& wanted) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = wanted.style;
  windowClass.lpfnWndProc = wanted.procedure;
  windowClass.hInstance = ProgramInstance();
  windowClass.hCursor = wanted.arrowCursor ? LoadCursorW(nullptr, IDC_ARROW) : nullptr;
  windowClass.hbrBackground = wanted.background;
  windowClass.lpszClassName = wanted.name;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

constexpr COLORREF ColorRefFromRgb(Rgb rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace base
