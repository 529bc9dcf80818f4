// The frame's windows. Every window of the program is built from its description by one routine;
// one window procedure routes clicks and timer ticks to the handlers bound in the description.
// Modal windows disable the other windows of the program and run a nested message loop, so a
// handler that opens one returns when it is closed.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/background_win.h"
#include "ui/frame_internal_win.h"
#include "ui/frame_win.h"
#include "ui/navigation.h"
#include "ui/widgets_win.h"

namespace ui::win {

using base::WideFromGbk;
namespace {

using TopLevelWindow = base::WindowState<OpenWindowState>;

constexpr wchar_t kTopLevelClass[] = L"ComposerWindow";

std::span<const WindowDescription> g_windows;
std::vector<OpenWindowState*> g_openWindows;  // in opening order

const Element* ElementOf(const OpenWindowState& state, HWND control) {
  if (control == nullptr) return nullptr;
  const auto id = static_cast<ControlId>(GetDlgCtrlID(control));
  return FindElement(*state.description, id);
}

// A modal window gives the input back before it goes, so activation returns to the window
// below it rather than to another program.
void ReleaseModality(OpenWindowState& state) {
  for (HWND hwnd : state.disabledWindows) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
  state.disabledWindows.clear();
  if (state.previouslyActive != nullptr && IsWindow(state.previouslyActive)) {
    SetActiveWindow(state.previouslyActive);
  }
}

// The system put a new window somewhere else than asked: it follows that monitor, centred on
// its work area. Returns the monitor's DPI and sets the layout DPI.
int FollowActualMonitor(HWND hwnd, const WindowDescription& description, bool menuBar,
                        int& layout) {
  const int dpi = base::WindowDpi(hwnd);
  const RECT there = WorkAreaOf(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
  layout = LayoutDpi(description, dpi, there, menuBar);
  const RECT centred = CentredRect(OuterSizeAt(description, layout, menuBar), there);
  SetWindowPos(hwnd, nullptr, centred.left, centred.top, centred.right - centred.left,
               centred.bottom - centred.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return dpi;
}

// Creates the window and its controls and raises creation complete; the window is not shown.
HWND BuildWindow(const WindowDescription& description, bool modal) {
  auto* state = new OpenWindowState;
  state->description = &description;
  state->modal = modal;
  HMENU menuBar = MakeMenuBar(description.id);
  state->menuBar = menuBar != nullptr;
  // Windows open centred on the primary monitor, at its DPI.
  const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  const RECT work = WorkAreaOf(monitor);
  int dpi = base::SystemDpi();
  int layout = LayoutDpi(description, dpi, work, state->menuBar);
  const RECT placement = CentredRect(OuterSizeAt(description, layout, state->menuBar), work);
  const std::wstring title = WideFromGbk(description.title);
  // The window owns its state from here on, also when it cannot be made.
  HWND hwnd = TopLevelWindow::Create(
      state, TopLevelExStyle(), kTopLevelClass, title.c_str(), TopLevelStyle(), placement.left,
      placement.top, placement.right - placement.left, placement.bottom - placement.top, nullptr,
      menuBar, base::ProgramInstance());
  if (hwnd == nullptr) {
    if (menuBar != nullptr) DestroyMenu(menuBar);
    return nullptr;
  }
  g_openWindows.push_back(state);
  if (base::WindowDpi(hwnd) != dpi) {
    dpi = FollowActualMonitor(hwnd, description, state->menuBar, layout);
  }
  SetLayoutDpi(*state, layout);
  if (description.programIcon) SetProgramIcons(hwnd, dpi);
  if (!widgets::CreateControls(hwnd, description, state->controls, layout)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  // Creation complete: raised once, now that every control exists.
  RaiseEvent(description.id, 0, FindHandler(description.events));
  NotifyWindowBuilt(description.id, hwnd);
  return hwnd;
}

// The nested loop of a modal window; it ends when the window is destroyed. A quit request that
// arrives meanwhile is passed on to the outer loop.
void RunModalLoop(HWND window) {
  MSG msg;
  while (IsWindow(window)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (got == -1) return;
    if (!TranslateDialogKeys(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// Shows a new window with the keyboard focus on its first control, as a dialog does. Focus
// comes before the first paint, so the control that takes it is painted once, with its focus
// look.
void ShowAndFocus(HWND hwnd, bool start = false) {
  ShowWindow(hwnd, SW_SHOWNORMAL);
  NotifyStart(start, StartStep::kShown);
  if (const OpenWindowState* state = OpenWindowOf(hwnd)) FocusFirst(*state);
  UpdateWindow(hwnd);
  NotifyStart(start, StartStep::kFirstPaint);
}

}  // namespace

// ---- The top-level window procedure ----

LRESULT OpenWindowState::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return OnNcCreate(window, wParam, lParam);
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_NOTIFY:
      return OnNotify(wParam, lParam);
    case WM_TIMER:
      return OnTimer(wParam);
    case WM_PRINTCLIENT:
      return OnPrintClient(wParam);
    case WM_DPICHANGED:
      return OnDpiChangedMessage(wParam, lParam);
    case WM_CLOSE:
      return OnClose();
    case WM_DESTROY:
      return OnDestroy();
    case WM_NCDESTROY:
      return OnNcDestroy();
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT OpenWindowState::Default(UINT message, WPARAM wParam, LPARAM lParam) const {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT OpenWindowState::OnNcCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  hwnd = window;
  return Default(WM_NCCREATE, wParam, lParam);
}

LRESULT OpenWindowState::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED) return Default(WM_COMMAND, wParam, lParam);
  HWND control = reinterpret_cast<HWND>(lParam);
  // Esc in a modal window closes it, as in a dialog.
  if (control == nullptr && LOWORD(wParam) == IDCANCEL && modal) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return 0;
  }
  if (const Element* element = ElementOf(*this, control)) {
    if (element->kind == Kind::kRadioBox) widgets::OnRadioClicked(control);
    if (element->kind == Kind::kButton) {
      RaiseEvent(description->id, element->id, FindHandler(element->events));
    }
  }
  return 0;
}

LRESULT OpenWindowState::OnNotify(WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (widgets::HandleNotify(hwnd, *reinterpret_cast<NMHDR*>(lParam), result)) return result;
  return Default(WM_NOTIFY, wParam, lParam);
}

LRESULT OpenWindowState::OnTimer(WPARAM wParam) {
  OnTimerTick(*this, static_cast<ControlId>(wParam));
  return 0;
}

LRESULT OpenWindowState::OnPrintClient(WPARAM wParam) {
  widgets::FillWindowBackground(hwnd, reinterpret_cast<HDC>(wParam));
  return 0;
}

LRESULT OpenWindowState::OnDpiChangedMessage(WPARAM wParam, LPARAM lParam) {
  FollowDpiChange(*this, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
  return 0;
}

LRESULT OpenWindowState::OnClose() {
  if (modal) ReleaseModality(*this);
  DestroyWindow(hwnd);
  return 0;
}

LRESULT OpenWindowState::OnDestroy() {
  if (modal) ReleaseModality(*this);
  std::erase(g_openWindows, this);
  // The program ends when its last window is gone.
  if (g_openWindows.empty()) PostQuitMessage(0);
  return Default(WM_DESTROY, 0, 0);
}

LRESULT OpenWindowState::OnNcDestroy() {
  base::ForgetLayoutDpi(hwnd);
  return Default(WM_NCDESTROY, 0, 0);
}

// ---- What the other pieces of the frame use ----

bool RegisterTopLevelClass() {
  return base::RegisterWindowClass({.name = kTopLevelClass,
                                    .procedure = TopLevelWindow::Procedure,
                                    .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
}

void SetWindowDescriptions(std::span<const WindowDescription> windows) {
  g_windows = windows;
}

OpenWindowState* FindOpenWindow(WindowId window) {
  for (auto it = g_openWindows.rbegin(); it != g_openWindows.rend(); ++it) {
    if ((*it)->description->id == window) return *it;
  }
  return nullptr;
}

OpenWindowState* OpenWindowOf(HWND hwnd) {
  return TopLevelWindow::Of(hwnd);
}

bool IsOurTopLevel(HWND hwnd) {
  return std::any_of(g_openWindows.begin(), g_openWindows.end(),
                     [hwnd](const OpenWindowState* state) { return state->hwnd == hwnd; });
}

HWND ActiveProgramWindow() {
  HWND active = GetActiveWindow();
  if (active != nullptr && IsOurTopLevel(active)) return active;
  return g_openWindows.empty() ? nullptr : g_openWindows.back()->hwnd;
}

HWND ControlOf(const OpenWindowState& state, ControlId id) {
  auto it = state.controls.find(id);
  return it == state.controls.end() ? nullptr : it->second;
}

bool OpenDescribedWindow(WindowId window, bool modal) {
  const WindowDescription* description = FindWindowDescription(g_windows, window);
  if (description == nullptr) return false;
  HWND active = GetActiveWindow();
  std::vector<HWND> disabled;
  if (modal) {
    for (OpenWindowState* open : g_openWindows) {
      if (IsWindowEnabled(open->hwnd)) {
        EnableWindow(open->hwnd, FALSE);
        disabled.push_back(open->hwnd);
      }
    }
  }
  HWND hwnd = BuildWindow(*description, modal);
  if (hwnd == nullptr) {
    for (HWND h : disabled) EnableWindow(h, TRUE);
    return false;
  }
  if (OpenWindowState* state = OpenWindowOf(hwnd)) {
    state->disabledWindows = std::move(disabled);
    state->previouslyActive = active;
  }
  ShowAndFocus(hwnd);
  if (modal) RunModalLoop(hwnd);
  return true;
}

// ---- The public face ----

HWND ShowStartWindow(WindowId window) {
  const WindowDescription* description = FindWindowDescription(g_windows, window);
  if (description == nullptr) return nullptr;
  HWND hwnd = BuildWindow(*description, false);
  if (hwnd == nullptr) return nullptr;
  NotifyStart(true, StartStep::kBuilt);
  ShowAndFocus(hwnd, true);
  return hwnd;
}

HWND FindControl(WindowId window, ControlId control) {
  OpenWindowState* state = FindOpenWindow(window);
  return state != nullptr ? ControlOf(*state, control) : nullptr;
}

HWND RowFrameOf(HWND control) {
  HWND root = control != nullptr ? GetAncestor(control, GA_ROOT) : nullptr;
  if (root == nullptr || !IsOurTopLevel(root)) return nullptr;
  const OpenWindowState* state = OpenWindowOf(root);
  const Element* element = state != nullptr ? ElementOf(*state, control) : nullptr;
  const Element* frame = element != nullptr ? RowFrame(*state->description, *element) : nullptr;
  return frame != nullptr ? ControlOf(*state, frame->id) : nullptr;
}

RECT RowOnScreen(HWND control) {
  HWND frame = RowFrameOf(control);
  RECT rect{};
  GetWindowRect(frame != nullptr ? frame : control, &rect);
  return rect;
}

int RunMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) break;
    if (!TranslateDialogKeys(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace ui::win
