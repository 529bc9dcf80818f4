// The note popup. A thread-wide message hook, set only while a note shows, sees the next click or
// key press whichever message loop gets it (the frame's, a dialog's, a test's).
#include "ui/note_popup_win.h"

#include <string>
#include <vector>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/balloon_tip_win.h"
#include "ui/hypertext.h"
#include "ui/hypertext_win.h"
#include "ui/navigation.h"
#include "ui/popup_placement.h"
#include "ui/style_sheet.h"

namespace ui::widgets {
namespace {

constexpr UINT_PTR kHideTimer = 1;
constexpr int kMaxTextWidth = 360;
constexpr int kRowGap = 2;

struct NoteState {
  HWND popup = nullptr;
  HHOOK hook = nullptr;
  std::vector<HypertextLine> lines;
  BalloonOutline outline;
  int dpi = 96;
};

NoteState g_note;

void Hide() {
  if (g_note.hook != nullptr) UnhookWindowsHookEx(g_note.hook);
  g_note.hook = nullptr;
  if (g_note.popup == nullptr) return;
  KillTimer(g_note.popup, kHideTimer);
  ShowWindow(g_note.popup, SW_HIDE);
}

bool IsPress(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK NextPress(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && IsPress(msg->message)) Hide();
  return result;
}

void PaintNote(HWND popup, HDC dc) {
  PaintBalloon(popup, dc);
  DrawHypertext(dc, g_note.outline.content, g_note.lines, StyleSheet::Program(), g_note.dpi);
}

LRESULT CALLBACK NoteProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wParam == kHideTimer) Hide();
      return 0;
    case WM_PAINT:
      PaintNote(hwnd, base::ScopedPaint(hwnd));
      return 0;
    case WM_PRINTCLIENT:
      PaintNote(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_NCDESTROY:  // with its owner
      if (hwnd == g_note.popup) {
        KillTimer(hwnd, kHideTimer);
        g_note.popup = nullptr;
        Hide();
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The note's popup, owned by the control's window so that it goes with it.
HWND PopupFor(HWND owner) {
  static const bool registered = base::RegisterWindowClass(
      {.name = kNotePopupClass, .procedure = NoteProc, .style = CS_SAVEBITS});
  if (!registered) return nullptr;
  if (g_note.popup != nullptr && GetWindow(g_note.popup, GW_OWNER) != owner) {
    DestroyWindow(g_note.popup);
  }
  if (g_note.popup == nullptr) {
    g_note.popup = CreateClickThroughPopup(kNotePopupClass, owner, nullptr);
  }
  return g_note.popup;
}

RECT WorkAreaOf(const RECT& rect) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

void ShowNote(HWND control, const RECT& row, std::string_view text) {
  Hide();
  HWND popup = PopupFor(GetAncestor(control, GA_ROOT));
  if (popup == nullptr) return;
  const std::wstring wide = base::WideFromGbk(text);
  SetWindowTextW(popup, wide.c_str());
  g_note.lines = {{HypertextRun{std::string(text), false, StyleSheet::Program().Body().color}}};
  g_note.dpi = base::LayoutDpiOf(control);

  const SIZE content =
      MeasureHypertext(base::ScopedGetDc(popup), g_note.lines,
                       ScaleForDpi(kMaxTextWidth, g_note.dpi), StyleSheet::Program(), g_note.dpi);
  const SIZE size = OutlineBalloon(content, 0, true, g_note.dpi).size;
  RECT at{};
  GetWindowRect(control, &at);
  const int pointX = (at.left + at.right) / 2;
  const Rect rowRect{row.left, row.top, row.right - row.left, row.bottom - row.top};
  const RECT work = WorkAreaOf(row);
  const PopupPlace place = PlaceBesideRow(
      rowRect, size.cx, size.cy, pointX - BalloonStemReach(g_note.dpi),
      NearerSide(rowRect, (at.top + at.bottom) / 2), ScaleForDpi(kRowGap, g_note.dpi),
      {work.left, work.top, work.right - work.left, work.bottom - work.top});
  g_note.outline =
      OutlineBalloon(content, pointX - place.left, place.side == Side::kBelow, g_note.dpi);
  ShowBalloon(popup, g_note.outline, place.left, place.top);
  SetTimer(popup, kHideTimer, kNoteShowMs, nullptr);
  g_note.hook = SetWindowsHookExW(WH_GETMESSAGE, NextPress, nullptr, GetCurrentThreadId());
  NotifyWinEvent(EVENT_SYSTEM_ALERT, popup, OBJID_WINDOW, CHILDID_SELF);
}

HWND ShownNote() {
  return g_note.popup != nullptr && IsWindowVisible(g_note.popup) ? g_note.popup : nullptr;
}

}  // namespace ui::widgets
