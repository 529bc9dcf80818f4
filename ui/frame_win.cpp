// The Win32 frame. Every window of the program is built from its description by one routine;
// one window procedure routes clicks and timer ticks to the handlers bound in the description.
// Modal windows disable the other windows of the program and run a nested message loop, so a
// handler that opens one returns when it is closed.
#include "ui/frame_win.h"

#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/error_box_win.h"
#include "base/late_bound_win.h"
#include "base/runtime.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/balloon_tip_win.h"
#include "ui/clipboard_win.h"
#include "ui/description.h"
#include "ui/prompt_dialog_win.h"
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
constexpr wchar_t kOwnerClass[] = L"ComposerFrameOwner";
constexpr int kProgramIconId = 1;

// One open window of the description.
struct OpenWindowState {
  const WindowDescription* description = nullptr;
  HWND hwnd = nullptr;
  std::unordered_map<ControlId, HWND> controls;
  bool modal = false;
  std::vector<HWND> disabledWindows;  // what a modal window disabled, to enable again
  HWND previouslyActive = nullptr;
};

std::span<const WindowDescription> g_windows;
HWND g_ownerWindow = nullptr;
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

// The hidden window that owns the clipboard's content, made when something is first copied.
HWND OwnerWindow() {
  if (g_ownerWindow == nullptr) {
    base::RegisterWindowClass(
        {.name = kOwnerClass, .procedure = DefWindowProcW, .arrowCursor = false});
    g_ownerWindow = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    base::ProgramInstance(), nullptr);
  }
  return g_ownerWindow;
}

EventObserver g_eventObserver = nullptr;
int g_handlersRunning = 0;
// Timer ticks that came due while a handler was running (inside a dialog or modal window it
// opened); each is raised once when the handler has returned.
std::vector<std::pair<WindowId, ControlId>> g_dueTicks;

void RaiseDueTicks();

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
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete state;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Outer size as described, centred on the primary monitor's work area.
RECT CentredRect(int width, int height) {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  return {left, std::max<LONG>(top, work.top), left + width,
          std::max<LONG>(top, work.top) + height};
}

// Creates the window and its controls and raises creation complete; the window is not shown.
HWND BuildWindow(const WindowDescription& description, bool modal) {
  auto state = std::make_unique<OpenWindowState>();
  state->description = &description;
  state->modal = modal;
  const RECT placement = CentredRect(description.width, description.height);
  const std::wstring title = WideFromGbk(description.title);
  // Fixed frame with title bar, system menu and a minimize button only.
  constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  OpenWindowState* raw = state.get();
  HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kTopLevelClass, title.c_str(), kStyle,
                              placement.left, placement.top, description.width, description.height,
                              nullptr, nullptr, base::ProgramInstance(), raw);
  if (hwnd == nullptr) return nullptr;
  state.release();  // the window owns it now
  g_openWindows.push_back(raw);
  if (description.programIcon) {
    // Shared icons: the system keeps one copy, so windows opened again and again add none.
    HICON big = static_cast<HICON>(
        LoadImageW(base::ProgramInstance(), MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    HICON small = static_cast<HICON>(
        LoadImageW(base::ProgramInstance(), MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (big) SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small) SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  if (!widgets::CreateControls(hwnd, description, raw->controls)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  // Creation complete: raised once, now that every control exists.
  RaiseEvent(description.id, 0, FindHandler(description.events));
  return hwnd;
}

StartObserver g_startObserver = nullptr;

void NotifyStart(bool start, StartStep step) {
  if (start && g_startObserver != nullptr) g_startObserver(step);
}

// Shows a new window with the keyboard focus on its first control, as a dialog does.
void ShowAndFocus(HWND hwnd, bool start = false) {
  ShowWindow(hwnd, SW_SHOWNORMAL);
  NotifyStart(start, StartStep::kShown);
  // Focus first, so the control that takes it is painted once, with its focus look.
  if (HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE)) SetFocus(first);
  UpdateWindow(hwnd);
  NotifyStart(start, StartStep::kFirstPaint);
}

bool IsOurTopLevel(HWND hwnd) {
  return std::any_of(g_openWindows.begin(), g_openWindows.end(),
                     [hwnd](const OpenWindowState* state) { return state->hwnd == hwnd; });
}

// Keyboard navigation (Tab, arrow keys in the radio group, Space on buttons) as in dialogs.
bool TranslateDialogKeys(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  return root != nullptr && IsOurTopLevel(root) && IsDialogMessageW(root, &msg);
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

  void AppendToEditBox(const ControlRef& editBox, std::string_view text) override {
    Kind kind{};
    HWND hwnd = Lookup(editBox.window, editBox.control, kind);
    if (hwnd == nullptr) return;
    const int end = GetWindowTextLengthW(hwnd);
    SendMessageW(hwnd, EM_SETSEL, end, end);
    SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    const std::wstring wide = WideFromGbk(text);
    SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
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

  bool CopyToClipboard(std::string_view text) override {
    return CopyTextToClipboard(OwnerWindow(), text);
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

void SetEventObserver(EventObserver observer) {
  g_eventObserver = observer;
}

void SetStartObserver(StartObserver observer) {
  g_startObserver = observer;
}

}  // namespace ui::win
