// The messages of the system's controls the engine draws: buttons, check and radio boxes,
// drop-down lists, tab controls and fields, and the hot look under the pointer.
#include "skin/engine/handlers_win.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include "base/skin_parts.h"
#include "skin/engine/canvas_win.h"

namespace skin::engine {

using base::skin_parts::Part;

namespace {

// Runs the control's own handling of a state change without letting it paint, then lets the
// engine repaint: the system's look never shows in between. A control with windows inside it (a
// tab control and its pages) only invalidates on these changes; turning its drawing off would
// also drop the paint still due to the windows inside it.
LRESULT CallQuietly(const WindowState& state, HWND hwnd, UINT message, WPARAM wParam,
                    LPARAM lParam) {
  if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) == 0) {
    return CallOriginal(state, hwnd, message, wParam, lParam);
  }
  if (GetWindow(hwnd, GW_CHILD) != nullptr) {
    const LRESULT result = CallOriginal(state, hwnd, message, wParam, lParam);
    InvalidateRect(hwnd, nullptr, FALSE);
    return result;
  }
  DefWindowProcW(hwnd, WM_SETREDRAW, FALSE, 0);
  const LRESULT result = CallOriginal(state, hwnd, message, wParam, lParam);
  DefWindowProcW(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, FALSE);
  return result;
}

// Runs the control's own handling of input, then repaints at once over whatever it drew.
LRESULT CallThenRepaint(const WindowState& state, HWND hwnd, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  const LRESULT result = CallOriginal(state, hwnd, message, wParam, lParam);
  if (IsWindow(hwnd)) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return result;
}

void RepaintHot(HWND hwnd, WindowState& state) {
  if (state.kind == Kind::kEdit || state.kind == Kind::kRichEdit) {
    PaintFieldBorder(hwnd, state);
  } else {
    InvalidateRect(hwnd, nullptr, FALSE);
  }
}

// Clears the hot look of the control that has it.
void ClearHot() {
  HWND hwnd = g_engine.hotWindow;
  g_engine.hotWindow = nullptr;
  StopHotWatch();
  if (hwnd == nullptr || !IsWindow(hwnd)) return;
  if (WindowState* state = StateOf(hwnd)) {
    state->hot = false;
    if (state->kind == Kind::kTab) state->hotTab = -1;
    RepaintHot(hwnd, *state);
  }
}

bool PointerIsOver(HWND hwnd) {
  POINT pointer{};
  if (!GetCursorPos(&pointer)) return true;
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  if (!PtInRect(&rect, pointer)) return false;
  HWND under = WindowFromPoint(pointer);
  return under == hwnd || IsChild(hwnd, under);
}

// WM_MOUSELEAVE does not always come (a fast move out of a window, a window that opens under the
// pointer), so while a control is hot the pointer is also looked at a few times a second.
void CALLBACK WatchHot(HWND, UINT, UINT_PTR, DWORD) {
  HWND hwnd = g_engine.hotWindow;
  if (hwnd == nullptr || !IsWindow(hwnd) || !PointerIsOver(hwnd)) ClearHot();
}

void SetHot(HWND hwnd, WindowState& state, bool hot) {
  if (hot && g_engine.hotWindow != nullptr && g_engine.hotWindow != hwnd) ClearHot();
  if (state.hot == hot) return;
  state.hot = hot;
  if (hot) {
    TrackLeave(hwnd, 0);
    g_engine.hotWindow = hwnd;
    if (g_engine.hotTimer == 0) g_engine.hotTimer = SetTimer(nullptr, 0, 100, &WatchHot);
  } else if (g_engine.hotWindow == hwnd) {
    g_engine.hotWindow = nullptr;
    StopHotWatch();
  }
  RepaintHot(hwnd, state);
}

bool HasFieldBorder(HWND hwnd) {
  const LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
  return (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 ||
         (GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER) != 0;
}

template <void (*Paint)(HWND, const WindowState&, HDC)>
bool HandlePaint(HWND hwnd, const WindowState& state, UINT message, WPARAM wParam,
                 LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      const base::ScopedPaint paint(hwnd);
      if (paint.Get() != nullptr) Paint(hwnd, state, paint);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      Paint(hwnd, state, reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    default:
      return false;
  }
}

void PaintGroupWithState(HWND hwnd, const WindowState&, HDC dc) {
  PaintGroup(hwnd, dc);
}

void PaintPanelWithState(HWND hwnd, const WindowState&, HDC dc) {
  PaintPanel(hwnd, dc);
}

int TabAt(HWND hwnd, LPARAM lParam) {
  TCHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return static_cast<int>(SendMessageW(hwnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

}  // namespace

void TrackLeave(HWND hwnd, DWORD flags) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE | flags;
  track.hwndTrack = hwnd;
  TrackMouseEvent(&track);
}

void StopHotWatch() {
  if (g_engine.hotTimer != 0) KillTimer(nullptr, g_engine.hotTimer);
  g_engine.hotTimer = 0;
}

void StyleRichEdit(HWND hwnd, WindowState& state) {
  state.styledFor = g_engine.generation;
  const Look& look = g_engine.look;
  SendMessageW(hwnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ToColorRef(look.fieldColor)));
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = ToColorRef(look.fieldTextColor);
  SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

bool HandleButton(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT& result) {
  switch (message) {
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_UPDATEUISTATE:
      result = CallQuietly(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSEMOVE:
      SetHot(hwnd, state, true);
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSELEAVE:
      SetHot(hwnd, state, false);
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      return true;
    default:
      break;
  }
  if (state.kind == Kind::kPushButton) {
    return HandlePaint<PaintPushButton>(hwnd, state, message, wParam, result);
  }
  if (state.kind == Kind::kCheck)
    return HandlePaint<PaintCheck>(hwnd, state, message, wParam, result);
  return HandlePaint<PaintGroupWithState>(hwnd, state, message, wParam, result);
}

bool HandleCombo(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  switch (message) {
    case CB_SETCURSEL:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETFONT:
      result = CallQuietly(state, hwnd, message, wParam, lParam);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_MOUSEWHEEL:
    case WM_COMMAND:
    case WM_CAPTURECHANGED:
    case CB_SHOWDROPDOWN:
      result = CallThenRepaint(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSEMOVE:
      SetHot(hwnd, state, true);
      if (GetCapture() == hwnd) {
        result = CallThenRepaint(state, hwnd, message, wParam, lParam);
        return true;
      }
      return false;
    case WM_MOUSELEAVE:
      SetHot(hwnd, state, false);
      return false;
    default:
      return HandlePaint<PaintCombo>(hwnd, state, message, wParam, result);
  }
}

bool HandleTab(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
               LRESULT& result) {
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETFONT:
      result = CallQuietly(state, hwnd, message, wParam, lParam);
      return true;
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
      result = CallThenRepaint(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSEMOVE: {
      const int hot = TabAt(hwnd, lParam);
      if (hot != state.hotTab) {
        state.hotTab = hot;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      SetHot(hwnd, state, true);
      return false;
    }
    case WM_MOUSELEAVE:
      state.hotTab = -1;
      SetHot(hwnd, state, false);
      InvalidateRect(hwnd, nullptr, FALSE);
      return false;
    default:
      return HandlePaint<PaintTab>(hwnd, state, message, wParam, result);
  }
}

bool HandleField(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  const bool scrollBars = (GetWindowLongW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
  switch (message) {
    case WM_NCPAINT:
      if (!HasFieldBorder(hwnd)) return false;
      // Scroll bars live in the non-client area too: let the control draw them first.
      result = scrollBars ? CallOriginal(state, hwnd, message, wParam, lParam) : 0;
      PaintFieldBorder(hwnd, state);
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      if (HasFieldBorder(hwnd)) PaintFieldBorder(hwnd, state);
      return true;
    case WM_MOUSEMOVE:
      if (HasFieldBorder(hwnd)) SetHot(hwnd, state, true);
      return false;
    case WM_MOUSELEAVE:
      if (HasFieldBorder(hwnd)) SetHot(hwnd, state, false);
      return false;
    case WM_PAINT:
      if (state.kind == Kind::kRichEdit && state.styledFor != g_engine.generation) {
        StyleRichEdit(hwnd, state);
      }
      return false;
    default:
      return false;
  }
}

bool HandlePart(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LRESULT& result) {
  const int part = PartOf(hwnd);
  if (part == static_cast<int>(Part::kPanel)) {
    return HandlePaint<PaintPanelWithState>(hwnd, state, message, wParam, result);
  }
  if (part == static_cast<int>(Part::kFrame)) {
    return HandlePaint<PaintGroupWithState>(hwnd, state, message, wParam, result);
  }
  return false;
}

}  // namespace skin::engine
