// The Win32 frame. Every window of the program is built from its description by one routine;
// one window procedure routes clicks and timer ticks to the handlers bound in the description.
// Modal windows disable the other windows of the program and run a nested message loop, so a
// handler that opens one returns when it is closed.
#include "ui/frame_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/dpi_win.h"
#include "base/error_box_win.h"
#include "base/late_bound_win.h"
#include "base/runtime.h"
#include "base/skin_parts.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/background_win.h"
#include "ui/balloon_tip_win.h"
#include "ui/clipboard_win.h"
#include "ui/description.h"
#include "ui/note_popup_win.h"
#include "ui/prompt_dialog_win.h"
#include "ui/temp_file_win.h"
#include "ui/widgets_win.h"

namespace ui::win {

using base::GbkFromWide;
using base::LateBound;
using base::RunExitRoutines;
using base::SetRuntimeErrorSink;
using base::WideFromGbk;
using base::WindowText;
namespace {

constexpr wchar_t kTopLevelClass[] = L"ComposerWindow";
constexpr int kProgramIconId = 1;

// One open window of the description.
struct OpenWindowState {
  const WindowDescription* description = nullptr;
  HWND hwnd = nullptr;
  std::unordered_map<ControlId, HWND> controls;
  bool modal = false;
  std::vector<HWND> disabledWindows;  // what a modal window disabled, to enable again
  HWND previouslyActive = nullptr;
  int layoutDpi = 96;  // what the description's positions, sizes and fonts are scaled to
  bool menuBar = false;
};

std::span<const WindowDescription> g_windows;
std::unordered_map<WindowId, std::vector<EnterKey>> g_enterKeys;
bool g_initialized = false;
std::vector<OpenWindowState*> g_openWindows;  // in opening order

OpenWindowState* StateOf(HWND hwnd) {
  return reinterpret_cast<OpenWindowState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

OpenWindowState* FindState(WindowId window) {
  for (auto it = g_openWindows.rbegin(); it != g_openWindows.rend(); ++it) {
    if ((*it)->description->id == window) return *it;
  }
  return nullptr;
}

const Element* ElementOf(const OpenWindowState& state, HWND control) {
  if (control == nullptr) return nullptr;
  const auto id = static_cast<ControlId>(GetDlgCtrlID(control));
  return FindElement(*state.description, id);
}

EventObserver g_eventObserver = nullptr;
MessageFilter g_messageFilter = nullptr;
WindowBuiltHook g_windowBuiltHook = nullptr;
int g_handlersRunning = 0;
// Timer ticks that came due while a handler was running (inside a dialog or modal window it
// opened); each is raised once when the handler has returned.
std::vector<std::pair<WindowId, ControlId>> g_dueTicks;

void RaiseDueTicks();
void OnDpiChanged(OpenWindowState& state, int dpi, const RECT& suggested);

// Runs the handler bound to an event of a window (control 0) or of one of its controls.
void RaiseEvent(WindowId window, ControlId control, Handler handler) {
  if (handler == nullptr) return;
  if (g_eventObserver != nullptr) g_eventObserver(window, control);
  ++g_handlersRunning;
  handler();
  --g_handlersRunning;
  if (g_handlersRunning == 0) RaiseDueTicks();
}

void RaiseDueTicks() {
  std::vector<std::pair<WindowId, ControlId>> due;
  due.swap(g_dueTicks);
  for (const auto& [window, control] : due) {
    OpenWindowState* state = FindState(window);
    const Element* element = state ? FindElement(*state->description, control) : nullptr;
    if (element == nullptr || element->kind != Kind::kTimer) continue;
    // The late tick starts the next interval, so two ticks never come back to back.
    SetTimer(state->hwnd, control, static_cast<UINT>(element->interval), nullptr);
    RaiseEvent(window, control, FindHandler(element->events));
  }
}

void OnTimerTick(OpenWindowState& state, ControlId control) {
  const Element* element = FindElement(*state.description, control);
  if (element == nullptr || element->kind != Kind::kTimer) return;
  if (g_handlersRunning > 0) {
    const std::pair<WindowId, ControlId> tick{state.description->id, control};
    if (std::find(g_dueTicks.begin(), g_dueTicks.end(), tick) == g_dueTicks.end()) {
      g_dueTicks.push_back(tick);
    }
    return;
  }
  RaiseEvent(state.description->id, control, FindHandler(element->events));
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

LRESULT CALLBACK TopLevelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  OpenWindowState* state = StateOf(hwnd);
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      state = static_cast<OpenWindowState*>(create->lpCreateParams);
      state->hwnd = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      break;
    }
    case WM_COMMAND:
      if (state != nullptr && HIWORD(wParam) == BN_CLICKED) {
        HWND control = reinterpret_cast<HWND>(lParam);
        // Esc in a modal window closes it, as in a dialog.
        if (control == nullptr && LOWORD(wParam) == IDCANCEL && state->modal) {
          PostMessageW(hwnd, WM_CLOSE, 0, 0);
          return 0;
        }
        if (const Element* element = ElementOf(*state, control)) {
          if (element->kind == Kind::kRadioBox) widgets::OnRadioClicked(control);
          if (element->kind == Kind::kButton) {
            RaiseEvent(state->description->id, element->id, FindHandler(element->events));
          }
        }
        return 0;
      }
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (widgets::HandleNotify(hwnd, *reinterpret_cast<NMHDR*>(lParam), result)) return result;
      break;
    }
    case WM_TIMER:
      if (state != nullptr) {
        OnTimerTick(*state, static_cast<ControlId>(wParam));
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      widgets::FillWindowBackground(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_DPICHANGED:
      if (state != nullptr) {
        OnDpiChanged(*state, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
      }
      break;
    case WM_CLOSE:
      if (state != nullptr && state->modal) ReleaseModality(*state);
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      if (state != nullptr) {
        if (state->modal) ReleaseModality(*state);
        std::erase(g_openWindows, state);
        // The program ends when its last window is gone.
        if (g_openWindows.empty()) PostQuitMessage(0);
      }
      break;
    case WM_NCDESTROY:
      base::ForgetLayoutDpi(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete state;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---- DPI -------------------------------------------------------------------------------------
// Windows 7 has one DPI for the whole system; Windows 10 gives each window its monitor's. The
// per-window functions are looked up where they exist.

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

void SetProgramIcons(HWND hwnd, int dpi) {
  if (HICON big = ProgramIcon(base::SystemMetricForDpi(SM_CXICON, dpi))) {
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  }
  if (HICON small = ProgramIcon(base::SystemMetricForDpi(SM_CXSMICON, dpi))) {
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
}

void SetLayoutDpi(OpenWindowState& state, int dpi) {
  state.layoutDpi = dpi;
  base::TellLayoutDpi(state.hwnd, dpi);
}

// The window moved to a monitor of another DPI (or that monitor's DPI changed): the system
// suggests where it goes; its size and everything in it follow the new DPI.
void OnDpiChanged(OpenWindowState& state, int dpi, const RECT& suggested) {
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

MenuBarMaker g_menuBarMaker = nullptr;

// Creates the window and its controls and raises creation complete; the window is not shown.
HWND BuildWindow(const WindowDescription& description, bool modal) {
  auto state = std::make_unique<OpenWindowState>();
  state->description = &description;
  state->modal = modal;
  HMENU menuBar = g_menuBarMaker != nullptr ? g_menuBarMaker(description.id) : nullptr;
  state->menuBar = menuBar != nullptr;
  // Windows open centred on the primary monitor, at its DPI.
  const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  const RECT work = WorkAreaOf(monitor);
  int dpi = base::SystemDpi();
  int layout = LayoutDpi(description, dpi, work, state->menuBar);
  const RECT placement = CentredRect(OuterSizeAt(description, layout, state->menuBar), work);
  const std::wstring title = WideFromGbk(description.title);
  OpenWindowState* raw = state.get();
  HWND hwnd = CreateWindowExW(kTopLevelExStyle, kTopLevelClass, title.c_str(), kTopLevelStyle,
                              placement.left, placement.top, placement.right - placement.left,
                              placement.bottom - placement.top, nullptr, menuBar,
                              base::ProgramInstance(), raw);
  if (hwnd == nullptr) {
    if (menuBar != nullptr) DestroyMenu(menuBar);
    return nullptr;
  }
  state.release();  // the window owns it now
  g_openWindows.push_back(raw);
  if (const int actual = base::WindowDpi(hwnd); actual != dpi) {
    // The system put the window somewhere else than asked: it follows that monitor.
    dpi = actual;
    const RECT there = WorkAreaOf(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
    layout = LayoutDpi(description, dpi, there, raw->menuBar);
    const RECT centred = CentredRect(OuterSizeAt(description, layout, raw->menuBar), there);
    SetWindowPos(hwnd, nullptr, centred.left, centred.top, centred.right - centred.left,
                 centred.bottom - centred.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetLayoutDpi(*raw, layout);
  if (description.programIcon) SetProgramIcons(hwnd, dpi);
  if (!widgets::CreateControls(hwnd, description, raw->controls, layout)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  // Creation complete: raised once, now that every control exists.
  RaiseEvent(description.id, 0, FindHandler(description.events));
  if (g_windowBuiltHook != nullptr && IsWindow(hwnd)) g_windowBuiltHook(description.id, hwnd);
  return hwnd;
}

StartObserver g_startObserver = nullptr;

void NotifyStart(bool start, StartStep step) {
  if (start && g_startObserver != nullptr) g_startObserver(step);
}

bool IsOurTopLevel(HWND hwnd) {
  return std::any_of(g_openWindows.begin(), g_openWindows.end(),
                     [hwnd](const OpenWindowState* state) { return state->hwnd == hwnd; });
}

// ---- Keyboard --------------------------------------------------------------------------------

HWND ControlOf(const OpenWindowState& state, ControlId id) {
  auto it = state.controls.find(id);
  return it == state.controls.end() ? nullptr : it->second;
}

// The window's tab control, or nullptr.
HWND PageControlOf(const OpenWindowState& state) {
  for (const Element& element : state.description->elements) {
    if (element.kind == Kind::kPageControl) return ControlOf(state, element.id);
  }
  return nullptr;
}

int CurrentPage(const OpenWindowState& state) {
  HWND tab = PageControlOf(state);
  return tab != nullptr ? static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)) + 1 : 0;
}

// The controls Tab visits now, in order: shown and enabled ones only.
std::vector<HWND> TabStops(const OpenWindowState& state) {
  std::vector<HWND> stops;
  for (ControlId id : TabOrder(*state.description, CurrentPage(state))) {
    HWND hwnd = ControlOf(state, id);
    if (hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) stops.push_back(hwnd);
  }
  return stops;
}

// Focus arriving by keyboard leaves an edit box's text as it is, with the caret at its end.
void FocusByKeyboard(HWND control) {
  SetFocus(control);
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  if (lstrcmpiW(className, L"Edit") == 0) {
    const int end = GetWindowTextLengthW(control);
    SendMessageW(control, EM_SETSEL, end, end);
  }
}

void FocusFirst(const OpenWindowState& state) {
  const std::vector<HWND> stops = TabStops(state);
  if (!stops.empty()) FocusByKeyboard(stops.front());
}

bool WantsKey(HWND focus, MSG& msg, LRESULT want) {
  const LRESULT code =
      SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  return (code & (want | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
}

bool OnTabKey(const OpenWindowState& state, HWND focus, bool backwards) {
  const std::vector<HWND> stops = TabStops(state);
  if (stops.empty()) return false;
  // The focus may be inside a stop (the edit box of a combo box); the tab control holds the
  // whole page, so the stop itself is looked for first.
  auto at = std::find(stops.begin(), stops.end(), focus);
  if (at == stops.end()) {
    at = std::find_if(stops.begin(), stops.end(),
                      [focus](HWND stop) { return GetParent(focus) == stop; });
  }
  size_t next = 0;
  if (at == stops.end()) {
    next = backwards ? stops.size() - 1 : 0;
  } else {
    const size_t index = static_cast<size_t>(at - stops.begin());
    next = backwards ? (index + stops.size() - 1) % stops.size() : (index + 1) % stops.size();
  }
  FocusByKeyboard(stops[next]);
  return true;
}

// Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page, round the end. Focus on the page that
// goes moves to the tab control; focus elsewhere stays where it is.
bool OnPageKey(const OpenWindowState& state, bool backwards) {
  HWND tab = PageControlOf(state);
  if (tab == nullptr) return false;
  const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
  if (count <= 0) return true;
  const int current = static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0));
  SendMessageW(tab, TCM_SETCURSEL, (current + (backwards ? count - 1 : 1)) % count, 0);
  if (GetFocus() == nullptr || !IsWindowVisible(GetFocus())) FocusByKeyboard(tab);
  return true;
}

// Enter in an input with a bound button: the button's click, the focus staying in the input.
bool OnEnterKey(OpenWindowState& state, HWND focus) {
  auto keys = g_enterKeys.find(state.description->id);
  if (keys == g_enterKeys.end()) return false;
  for (const EnterKey& key : keys->second) {
    HWND input = ControlOf(state, key.input);
    if (input == nullptr || (input != focus && !IsChild(input, focus))) continue;
    const Element* element = FindElement(*state.description, key.input);
    // An open drop-down list takes Enter itself, to choose the item under its highlight.
    if (element != nullptr && element->kind == Kind::kComboBox &&
        SendMessageW(input, CB_GETDROPPEDSTATE, 0, 0)) {
      return false;
    }
    HWND button = ControlOf(state, key.button);
    if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button)) return true;
    SendMessageW(state.hwnd, WM_COMMAND, MAKEWPARAM(LOWORD(GetDlgCtrlID(button)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
  }
  return false;
}

bool TranslateNavigationKeys(OpenWindowState& state, MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  HWND focus = GetFocus();
  if (alt) return false;
  if (msg.wParam == VK_TAB && control) return OnPageKey(state, shift);
  if (msg.wParam == VK_TAB) {
    if (focus != nullptr && WantsKey(focus, msg, DLGC_WANTTAB)) return false;
    return OnTabKey(state, focus, shift);
  }
  if (msg.wParam == VK_RETURN && !control && !shift && focus != nullptr) {
    return OnEnterKey(state, focus);
  }
  return false;
}

// Keyboard navigation: Tab in reading order, Ctrl+Tab through pages and Enter in inputs here;
// arrow keys in the radio group, Space on buttons, Esc and mnemonics as in dialogs.
bool TranslateDialogKeys(MSG& msg) {
  if (g_messageFilter != nullptr && g_messageFilter(msg)) return true;
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root == nullptr || !IsOurTopLevel(root)) return false;
  if (OpenWindowState* state = StateOf(root);
      state != nullptr && TranslateNavigationKeys(*state, msg)) {
    return true;
  }
  return IsDialogMessageW(root, &msg);
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
  if (const OpenWindowState* state = StateOf(hwnd)) FocusFirst(*state);
  UpdateWindow(hwnd);
  NotifyStart(start, StartStep::kFirstPaint);
}

bool OpenWindowOf(WindowId window, bool modal) {
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
  if (OpenWindowState* state = StateOf(hwnd)) {
    state->disabledWindows = std::move(disabled);
    state->previouslyActive = active;
  }
  ShowAndFocus(hwnd);
  if (modal) RunModalLoop(hwnd);
  return true;
}

// ---- Services --------------------------------------------------------------------------------

class Win32Services final : public FrameServices {
 public:
  PropertyValue ReadProperty(WindowId window, ControlId control, Property property) override {
    Kind kind{};
    HWND hwnd = Lookup(window, control, kind);
    if (hwnd == nullptr) return 0;
    switch (property) {
      case Property::kText:
        return GbkFromWide(WindowText(hwnd));
      case Property::kChecked:
        if (kind == Kind::kRadioBox) return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
        break;
      case Property::kSelection:
        if (kind == Kind::kComboBox) {
          const LRESULT index = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
          return index == CB_ERR ? -1 : static_cast<int>(index);
        }
        break;
    }
    return 0;
  }

  void WriteProperty(WindowId window, ControlId control, Property property,
                     const PropertyValue& value) override {
    Kind kind{};
    HWND hwnd = Lookup(window, control, kind);
    if (hwnd == nullptr || property != Property::kText) return;
    if (const auto* text = std::get_if<std::string>(&value)) {
      widgets::SetControlText(hwnd, WideFromGbk(*text));
    }
  }

  void AppendToEditBox(const ControlRef& editBox, std::string_view text,
                       AppendedView view) override {
    Kind kind{};
    HWND hwnd = Lookup(editBox.window, editBox.control, kind);
    if (hwnd == nullptr) return;
    const std::wstring wide = WideFromGbk(text);
    const int end = GetWindowTextLengthW(hwnd);
    SendMessageW(hwnd, EM_SETSEL, end, end);
    if (view == AppendedView::kAtNewText) SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    if (view == AppendedView::kAtStart) {
      // What writing the whole text leaves: caret and view at the start, nothing to undo, not
      // marked as modified by the user.
      SendMessageW(hwnd, EM_SETSEL, 0, 0);
      SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
      SendMessageW(hwnd, EM_SETMODIFY, FALSE, 0);
    }
  }

  std::string ComboItemText(const ControlRef& comboBox, int index) override {
    Kind kind{};
    HWND hwnd = Lookup(comboBox.window, comboBox.control, kind);
    if (hwnd == nullptr || kind != Kind::kComboBox) return {};
    const LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, index, 0);
    if (index < 0 || length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return GbkFromWide(text);
  }

  bool CopyToClipboard(std::string_view text) override { return CopyTextToClipboard(text); }

  // The box's UTF-16 goes to the clipboard as it is, never through GBK and back.
  CopyOutcome CopyControlText(const ControlRef& control, std::string* copied) override {
    Kind kind{};
    HWND hwnd = Lookup(control.window, control.control, kind);
    if (hwnd == nullptr || kind != Kind::kEditBox) {
      return FrameServices::CopyControlText(control, copied);
    }
    const CopyOutcome outcome = CopyWindowTextToClipboard(hwnd);
    if (outcome == CopyOutcome::kCopied && copied != nullptr &&
        static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) <= kCopiedTextLimit) {
      *copied = GbkFromWide(WindowText(hwnd));
    }
    return outcome;
  }

  // MessageBoxW owned by the active window is modal to it, and the skin engine dresses it as
  // every window made on this thread.
  MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                            MessageButtons buttons) override {
    const UINT style = MB_ICONWARNING | (buttons == MessageButtons::kYesNo ? MB_YESNO : MB_OK);
    const int answer = MessageBoxW(ActiveProgramWindow(), WideFromGbk(text).c_str(),
                                   WideFromGbk(title).c_str(), style);
    if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    return answer == IDYES ? MessageAnswer::kYes : MessageAnswer::kNo;
  }

  std::optional<std::string> AskText(std::string_view title, std::string_view prompt) override {
    std::optional<std::wstring> answer = AskTextDialog(
        base::ProgramInstance(), ActiveProgramWindow(), WideFromGbk(title), WideFromGbk(prompt));
    if (!answer) return std::nullopt;
    return GbkFromWide(*answer);
  }

  bool OpenWindow(WindowId window, bool modal) override { return OpenWindowOf(window, modal); }

  bool AttachBalloonTip(const ControlRef& tip, const ControlRef& target, std::string_view text,
                        int icon, const Rect& region) override {
    Kind tipKind{};
    Kind targetKind{};
    HWND tipWindow = Lookup(tip.window, tip.control, tipKind);
    HWND targetWindow = Lookup(target.window, target.control, targetKind);
    if (tipWindow == nullptr || tipKind != Kind::kBalloonTip || targetWindow == nullptr) {
      return false;
    }
    return widgets::AttachTip(tipWindow, targetWindow, text, icon, region);
  }

  std::optional<std::string> WriteTemporaryTextFile(std::string_view fileName,
                                                    std::string_view text) override {
    return win::WriteTemporaryTextFile(fileName, text);
  }

  void ShowNote(const ControlRef& at, std::string_view text) override {
    Kind kind{};
    if (HWND control = Lookup(at.window, at.control, kind)) {
      widgets::ShowNote(control, RowOnScreen(control), text);
    }
  }

  bool OpenWebAddress(std::string_view address) override {
    const std::wstring wide = WideFromGbk(address);
    // shell32 is loaded on the first use, not before the window shows.
    static const auto shellExecute =
        LateBound<decltype(&::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (shellExecute == nullptr) return false;
    // The shell may hand the address to COM objects of its own.
    widgets::EnsureOle();
    const auto result = reinterpret_cast<INT_PTR>(
        shellExecute(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
  }

 private:
  static HWND Lookup(WindowId window, ControlId control, Kind& kind) {
    OpenWindowState* state = FindState(window);
    if (state == nullptr) return nullptr;
    auto it = state->controls.find(control);
    const Element* element = FindElement(*state->description, control);
    if (it == state->controls.end() || element == nullptr) return nullptr;
    kind = element->kind;
    return it->second;
  }

  // The window a dialog belongs to: the active one of ours, else the newest open one.
  static HWND ActiveProgramWindow() {
    HWND active = GetActiveWindow();
    if (active != nullptr && IsOurTopLevel(active)) return active;
    return g_openWindows.empty() ? nullptr : g_openWindows.back()->hwnd;
  }
};

Win32Services g_services;

[[noreturn]] void ErrorBoxSink(int number, std::string_view message) {
  base::ShowRuntimeErrorAndExit(number, message);
}

}  // namespace

bool InitializeFrame(std::span<const WindowDescription> windows) {
  if (g_initialized) return true;
  g_windows = windows;
  SetRuntimeErrorSink(&ErrorBoxSink);

  // The program's own folder is the current directory.
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    if (wchar_t* slash = wcsrchr(path, L'\\')) {
      *slash = L'\0';
      SetCurrentDirectoryW(path);
    }
  }

  if (!widgets::RegisterControlClasses()) return false;
  if (!base::RegisterWindowClass({.name = kTopLevelClass,
                                  .procedure = TopLevelProc,
                                  .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)})) {
    return false;
  }

  InstallFrameServices(&g_services);
  g_initialized = true;
  return true;
}

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
  OpenWindowState* state = FindState(window);
  if (state == nullptr) return nullptr;
  auto it = state->controls.find(control);
  return it == state->controls.end() ? nullptr : it->second;
}

HWND RowFrameOf(HWND control) {
  HWND root = control != nullptr ? GetAncestor(control, GA_ROOT) : nullptr;
  if (root == nullptr || !IsOurTopLevel(root)) return nullptr;
  const OpenWindowState* state = StateOf(root);
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

void TerminateNormally() {
  RunExitRoutines();
  widgets::ReleaseOle();
  ExitProcess(0);
}

bool TranslateProgramKeys(MSG& msg) {
  return TranslateDialogKeys(msg);
}

void SetEnterKeys(WindowId window, std::vector<EnterKey> keys) {
  g_enterKeys[window] = std::move(keys);
}

void SetEventObserver(EventObserver observer) {
  g_eventObserver = observer;
}

void SetWindowBuiltHook(WindowBuiltHook hook) {
  g_windowBuiltHook = hook;
}

void SetMenuBarMaker(MenuBarMaker maker) {
  g_menuBarMaker = maker;
}

void SetStartObserver(StartObserver observer) {
  g_startObserver = observer;
}

void SetMessageFilter(MessageFilter filter) {
  g_messageFilter = filter;
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
