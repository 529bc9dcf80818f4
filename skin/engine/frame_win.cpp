// The messages of a frame (a top-level window with a title bar): its surface, its title bar's
// look and its caption buttons' hot, pressed and clicked states.
#include "skin/engine/handlers_win.h"

#include <windowsx.h>

namespace skin::engine {
namespace {

int CaptionButtonAt(HWND hwnd, POINT screen) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  const POINT at{screen.x - window.left, screen.y - window.top};
  const CaptionButtons buttons = CaptionButtonsOf(hwnd);
  if (PtInRect(&buttons.close, at)) return HTCLOSE;
  if (PtInRect(&buttons.maximize, at)) return HTMAXBUTTON;
  if (PtInRect(&buttons.minimize, at)) return HTMINBUTTON;
  if (PtInRect(&buttons.icon, at)) return HTSYSMENU;
  return 0;
}

// The client surface of a skinned frame: erased and printed with the skin's window surface.
bool HandleFrameSurface(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      FillSurface(hwnd, reinterpret_cast<HDC>(wParam));
      result = 1;
      return true;
    case WM_PRINTCLIENT:
      if (lParam & (PRF_ERASEBKGND | PRF_CLIENT)) PaintPanel(hwnd, reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    default:
      return false;
  }
}

// Whatever changes the title bar's look: painting, activation, a new title or icon.
bool HandleCaptionLook(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT& result) {
  switch (message) {
    case WM_NCPAINT:
      state.framePainted = true;
      PaintFrameBorder(hwnd, state);
      result = 0;
      return true;
    case WM_NCACTIVATE:
      state.inactive = wParam == FALSE;
      // -1: the system updates its state without drawing its own title bar.
      CallOriginal(state, hwnd, message, wParam, -1);
      // A window being shown is activated before its frame's first paint, which follows anyway.
      if (state.framePainted) PaintFrameBorder(hwnd, state);
      result = TRUE;
      return true;
    case WM_SETTEXT:
    case WM_SETICON:
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      if (state.framePainted && IsWindowVisible(hwnd)) PaintFrameBorder(hwnd, state);
      return true;
    case WM_NCHITTEST:
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      if (result == HTCAPTION || result == HTCLOSE || result == HTMINBUTTON ||
          result == HTMAXBUTTON || result == HTSYSMENU || result == HTHELP) {
        // The skin's caption buttons are where it draws them, not where the system would.
        const int button = CaptionButtonAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = button != 0 ? button : HTCAPTION;
      }
      return true;
    default:
      return false;
  }
}

// Ends a press on a caption button: its command runs when the pointer was released inside it.
void ReleaseCaptionButton(HWND hwnd, WindowState& state) {
  const int button = state.pressedCaptionButton;
  const bool inside = state.pressedInside;
  ReleaseCapture();
  state.pressedCaptionButton = 0;
  state.pressedInside = false;
  PaintFrameBorder(hwnd, state);
  if (!inside) return;
  WPARAM command = SC_CLOSE;
  if (button == HTMINBUTTON) command = SC_MINIMIZE;
  if (button == HTMAXBUTTON) command = IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE;
  PostMessageW(hwnd, WM_SYSCOMMAND, command, 0);
}

bool IsCaptionButton(WPARAM hit) {
  return hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON;
}

// The pointer over the frame: the button under it is drawn hot.
bool OnNcMouseMove(HWND hwnd, WindowState& state, WPARAM hit) {
  const int hot = IsCaptionButton(hit) ? static_cast<int>(hit) : 0;
  if (hot != state.hotCaptionButton) {
    state.hotCaptionButton = hot;
    PaintFrameBorder(hwnd, state);
  }
  TrackLeave(hwnd, TME_NONCLIENT);
  return false;
}

bool OnNcMouseLeave(HWND hwnd, WindowState& state) {
  if (state.hotCaptionButton != 0) {
    state.hotCaptionButton = 0;
    PaintFrameBorder(hwnd, state);
  }
  return false;
}

// A press on a caption button is the engine's until released: the system's would draw its own.
bool OnNcButtonDown(HWND hwnd, WindowState& state, WPARAM hit, LRESULT& result) {
  if (!IsCaptionButton(hit)) return false;
  state.pressedCaptionButton = static_cast<int>(hit);
  state.pressedInside = true;
  SetCapture(hwnd);
  PaintFrameBorder(hwnd, state);
  result = 0;
  return true;
}

// While a caption button is pressed, it looks pressed only with the pointer inside it.
bool OnPressedMouseMove(HWND hwnd, WindowState& state, LPARAM lParam, LRESULT& result) {
  if (state.pressedCaptionButton == 0) return false;
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(hwnd, &at);
  const bool inside = CaptionButtonAt(hwnd, at) == state.pressedCaptionButton;
  if (inside != state.pressedInside) {
    state.pressedInside = inside;
    PaintFrameBorder(hwnd, state);
  }
  result = 0;
  return true;
}

bool OnButtonUp(HWND hwnd, WindowState& state, LRESULT& result) {
  if (state.pressedCaptionButton == 0) return false;
  ReleaseCaptionButton(hwnd, state);
  result = 0;
  return true;
}

// Another window took the capture: the press ends without a click.
bool OnCaptureChanged(HWND hwnd, WindowState& state, LPARAM lParam) {
  if (state.pressedCaptionButton != 0 && reinterpret_cast<HWND>(lParam) != hwnd) {
    state.pressedCaptionButton = 0;
    state.pressedInside = false;
    PaintFrameBorder(hwnd, state);
  }
  return false;
}

// The caption buttons' hot and pressed looks, and their clicks.
bool HandleCaptionButtons(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result) {
  switch (message) {
    case WM_NCMOUSEMOVE:
      return OnNcMouseMove(hwnd, state, wParam);
    case WM_NCMOUSELEAVE:
      return OnNcMouseLeave(hwnd, state);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      return OnNcButtonDown(hwnd, state, wParam, result);
    case WM_MOUSEMOVE:
      return OnPressedMouseMove(hwnd, state, lParam, result);
    case WM_LBUTTONUP:
      return OnButtonUp(hwnd, state, result);
    case WM_CAPTURECHANGED:
      return OnCaptureChanged(hwnd, state, lParam);
    default:
      return false;
  }
}

}  // namespace

bool HandleFrame(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  // A minimized window keeps the system's small title bar.
  if (IsIconic(hwnd) && message != WM_ERASEBKGND && message != WM_PRINTCLIENT) return false;
  return HandleFrameSurface(hwnd, message, wParam, lParam, result) ||
         HandleMenus(hwnd, state, message, wParam, lParam, result) ||
         HandleCaptionLook(hwnd, state, message, wParam, lParam, result) ||
         HandleCaptionButtons(hwnd, state, message, wParam, lParam, result);
}

}  // namespace skin::engine
