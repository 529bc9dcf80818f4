// Where the frame's windows go and at which DPI. Windows 7 has one DPI for the whole system;
// Windows 10 gives each window its monitor's. The per-window functions are looked up where they
// exist.
#include <windows.h>

#include <algorithm>
#include <unordered_map>

#include "base/dpi_win.h"
#include "base/late_bound_win.h"
#include "base/win32_win.h"
#include "ui/frame_internal_win.h"
#include "ui/frame_win.h"
#include "ui/navigation.h"
#include "ui/widgets_win.h"

namespace ui::win {

using base::LateBound;
namespace {

constexpr int kProgramIconId = 1;

// Fixed frame with title bar, system menu and a minimize button only.
constexpr DWORD kTopLevelStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kTopLevelExStyle = WS_EX_CONTROLPARENT;

// The frame around a client area at dpi, with a one-line menu bar when menuBar says so.
RECT FrameAt(int dpi, bool menuBar) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      LateBound<AdjustForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT rect{0, 0, 0, 0};
  if (adjustForDpi != nullptr &&
      adjustForDpi(&rect, kTopLevelStyle, menuBar, kTopLevelExStyle, static_cast<UINT>(dpi))) {
    return rect;
  }
  // One DPI for the whole system: its frame scaled from the screen's DPI.
  AdjustWindowRectEx(&rect, kTopLevelStyle, menuBar, kTopLevelExStyle);
  const int screen = base::ScreenDpi();
  return {base::ScaleBetweenDpis(rect.left, screen, dpi),
          base::ScaleBetweenDpis(rect.top, screen, dpi),
          base::ScaleBetweenDpis(rect.right, screen, dpi),
          base::ScaleBetweenDpis(rect.bottom, screen, dpi)};
}

// The program's icon at a size: the largest image of the icon resource, scaled down well.
HICON ProgramIcon(int size) {
  static std::unordered_map<int, HICON> icons;  // kept for the life of the process
  if (auto it = icons.find(size); it != icons.end()) return it->second;
  using LoadScaledFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto loadScaled =
      LateBound<LoadScaledFunction>(L"comctl32.dll", "LoadIconWithScaleDown");
  HICON icon = nullptr;
  if (loadScaled == nullptr ||
      FAILED(loadScaled(base::ProgramInstance(), MAKEINTRESOURCEW(kProgramIconId), size, size,
                        &icon))) {
    icon = static_cast<HICON>(LoadImageW(base::ProgramInstance(), MAKEINTRESOURCEW(kProgramIconId),
                                         IMAGE_ICON, size, size, 0));
  }
  icons[size] = icon;
  return icon;
}

}  // namespace

void SetProgramIcons(HWND hwnd, int dpi) {
  if (HICON big = ProgramIcon(base::SystemMetricForDpi(SM_CXICON, dpi))) {
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  }
  if (HICON small = ProgramIcon(base::SystemMetricForDpi(SM_CXSMICON, dpi))) {
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
}

// The outer size of a described window at dpi: its client area (the described outer size less
// the frame at 96 DPI) scaled, with the frame at dpi around it, and the menu bar when it has one.
// At 96 DPI without a bar the described size.
SIZE OuterSizeAt(const WindowDescription& description, int dpi, bool menuBar) {
  const RECT frame96 = FrameAt(96, false);
  const int clientWidth = description.width - (frame96.right - frame96.left);
  const int clientHeight = description.height - (frame96.bottom - frame96.top);
  if (dpi == 96 && !menuBar) return {description.width, description.height};
  const RECT frame = FrameAt(dpi, menuBar);
  return {ScaleForDpi(clientWidth, dpi) + frame.right - frame.left,
          ScaleForDpi(clientHeight, dpi) + frame.bottom - frame.top};
}

RECT WorkAreaOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// The DPI a window's layout is made for: its monitor's, lowered as far as needed (but not below
// 96) for the whole window to fit the monitor's work area. A window too large for a small screen
// at its DPI is drawn a little smaller, but sharp, rather than cut off.
int LayoutDpi(const WindowDescription& description, int dpi, const RECT& work, bool menuBar) {
  const int workWidth = work.right - work.left;
  const int workHeight = work.bottom - work.top;
  int layout = dpi;
  while (layout > 96) {
    const SIZE outer = OuterSizeAt(description, layout, menuBar);
    if (outer.cx <= workWidth && outer.cy <= workHeight) break;
    --layout;
  }
  return layout;
}

void SetLayoutDpi(OpenWindowState& state, int dpi) {
  state.layoutDpi = dpi;
  base::TellLayoutDpi(state.hwnd, dpi);
}

// The window moved to a monitor of another DPI (or that monitor's DPI changed): the system
// suggests where it goes; its size and everything in it follow the new DPI.
void FollowDpiChange(OpenWindowState& state, int dpi, const RECT& suggested) {
  const RECT work = WorkAreaOf(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST));
  const int layout = LayoutDpi(*state.description, dpi, work, state.menuBar);
  const SIZE outer = OuterSizeAt(*state.description, layout, state.menuBar);
  SetLayoutDpi(state, layout);
  const int left =
      std::clamp<int>(suggested.left, work.left, std::max<int>(work.left, work.right - outer.cx));
  const int top =
      std::clamp<int>(suggested.top, work.top, std::max<int>(work.top, work.bottom - outer.cy));
  SetWindowPos(state.hwnd, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  if (state.description->programIcon) SetProgramIcons(state.hwnd, dpi);
  widgets::LayoutControls(state.hwnd, *state.description, state.controls, layout);
}

// Outer size as described at the layout's DPI, centred on the primary monitor's work area.
RECT CentredRect(SIZE size, const RECT& work) {
  const int left = work.left + (work.right - work.left - size.cx) / 2;
  const int top = work.top + (work.bottom - work.top - size.cy) / 2;
  return {std::max<LONG>(left, work.left), std::max<LONG>(top, work.top),
          std::max<LONG>(left, work.left) + size.cx, std::max<LONG>(top, work.top) + size.cy};
}

DWORD TopLevelStyle() {
  return kTopLevelStyle;
}

DWORD TopLevelExStyle() {
  return kTopLevelExStyle;
}

WindowPlace PlaceNewWindow(const WindowDescription& description) {
  const RECT work = WorkAreaOf(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
  const int dpi = base::SystemDpi();
  // Windows of our own classes have no menu bar.
  const int layout = LayoutDpi(description, dpi, work, false);
  return {CentredRect(OuterSizeAt(description, layout, false), work), dpi, layout};
}

WindowPlace PlaceWindowAtDpi(const WindowDescription& description, int dpi, const RECT& around) {
  const RECT work = WorkAreaOf(MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST));
  const int layout = LayoutDpi(description, dpi, work, false);
  const SIZE outer = OuterSizeAt(description, layout, false);
  const int left =
      std::clamp<int>(around.left, work.left, std::max<int>(work.left, work.right - outer.cx));
  const int top =
      std::clamp<int>(around.top, work.top, std::max<int>(work.top, work.bottom - outer.cy));
  return {{left, top, left + outer.cx, top + outer.cy}, dpi, layout};
}

int DpiOfWindow(HWND hwnd) {
  return base::WindowDpi(hwnd);
}

void SetWindowDpiLook(HWND hwnd, const WindowDescription& description, const WindowPlace& place) {
  base::TellLayoutDpi(hwnd, place.layoutDpi);
  if (description.programIcon) SetProgramIcons(hwnd, place.dpi);
}

}  // namespace ui::win
