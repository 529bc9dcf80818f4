// The server console's platform on Windows. The client is made on the first job, so nothing of
// the network is set up before the user asks for it. The password never exists in plain text
// longer than one call: read from its box into a buffer that is wiped, turned into GBK that is
// wiped, encrypted; and decrypted only into the SecretBytes the client wipes once it has logged
// in.
#include "app/server_console_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/enter_keys.h"
#include "app/remembered_settings_win.h"
#include "app/server_console.h"
#include "base/runtime.h"
#include "base/text_win.h"
#include "net/protected_data_win.h"
#include "net/rcon_client_win.h"
#include "net/secret_bytes.h"
#include "ui/console_view_win.h"
#include "ui/frame.h"
#include "ui/frame_win.h"

namespace app::win {
namespace {

namespace ids = ui::ids;
using ui::win::FindControl;

constexpr UINT_PTR kServerWindowSubclass = 0x53525652;
constexpr UINT_PTR kPasswordBoxSubclass = 0x50415353;
constexpr wchar_t kPasswordChar = L'\x25CF';  // a black circle, as Windows' own password boxes
constexpr std::string_view kPasswordDoesNotOpen =
    "保存的密码无法解开（它是另一个 Windows 用户或另一台电脑保存的）：请重新填写密码并保存";

// Longest texts the server window's boxes take; the game's own limit for the password.
constexpr int kNameLimit = 40;
constexpr int kHostLimit = 255;
constexpr int kPortLimit = 5;
constexpr int kPasswordLimit = 1000;

// Empties an edit box so that its text does not stay in the box's memory: the same number of
// characters written over it first (the box keeps its buffer when the new text fits).
void WipeEditBox(HWND box) {
  const int length = GetWindowTextLengthW(box);
  if (length > 0) SetWindowTextW(box, std::wstring(static_cast<std::size_t>(length), L' ').c_str());
  SetWindowTextW(box, L"");
}

HWND ConsoleLogWindow();

class WindowsServerPlatform final : public ServerPlatform {
 public:
  Settings& RememberedSettings() override { return win::RememberedSettings(); }
  void SaveRememberedSettings() override { win::SaveRememberedSettings(); }

  TakenPassword TakePassword(bool emptyBox) override {
    HWND box = FindControl(ids::kServerWindow, ids::kServerPassword);
    TakenPassword taken;
    const int length = box != nullptr ? GetWindowTextLengthW(box) : 0;
    if (length > 0) {
      std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
      wide.resize(static_cast<std::size_t>(GetWindowTextW(box, wide.data(), length + 1)));
      std::string gbk = base::GbkFromWide(wide);
      net::WipeBytes(wide);
      std::optional<base::Bytes> blob = net::ProtectForUser(gbk);
      net::WipeBytes(gbk);
      taken.state = blob ? TakenPassword::State::kProtected : TakenPassword::State::kFailed;
      if (blob) taken.blob = std::move(*blob);
    }
    if (emptyBox && box != nullptr) WipeEditBox(box);
    return taken;
  }

  Started StartLoginTest(const ServerEntry& server) override {
    std::optional<net::SecretBytes> password = net::UnprotectForUser(server.password);
    if (!password) return {0, std::string(kPasswordDoesNotOpen)};
    return {Client().TestLogin(Address(server), std::move(*password)), {}};
  }

  Started StartSend(const ServerEntry& server, std::vector<std::string> commands) override {
    std::optional<net::SecretBytes> password = net::UnprotectForUser(server.password);
    if (!password) return {0, std::string(kPasswordDoesNotOpen)};
    return {Client().Send(Address(server), std::move(*password), std::move(commands)), {}};
  }

  void StopSending() override {
    if (client_) client_->Cancel();
  }

  bool Confirm(std::string_view question) override {
    HWND owner = GetActiveWindow();
    return MessageBoxW(owner, base::WideFromGbk(question).c_str(), L"请确认",
                       MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1) == IDOK;
  }

  void ShowServerChoices(const std::vector<std::string>& names, int chosen) override {
    HWND list = FindControl(ids::kServerWindow, ids::kServerList);
    if (list == nullptr) return;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
      SendMessageW(list, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(base::WideFromGbk(name).c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  }

  void CloseServerWindow() override {
    HWND list = FindControl(ids::kServerWindow, ids::kServerList);
    if (list != nullptr) PostMessageW(GetAncestor(list, GA_ROOT), WM_CLOSE, 0, 0);
  }

  // The log comes forward without taking the keyboard from where the user types: a new one
  // hands the activation back to the window that had it.
  void ShowConsoleLog() override {
    HWND window = ConsoleLogWindow();
    if (window == nullptr) {
      HWND previous = GetActiveWindow();
      ui::Frame().OpenWindow(ids::kConsoleLogWindow, false);
      window = ConsoleLogWindow();
      if (window == nullptr) return;
      if (previous != nullptr) SetActiveWindow(previous);
    }
    if (IsIconic(window)) ShowWindow(window, SW_SHOWNOACTIVATE);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  void ConsoleLogChanged(const ui::ConsoleChange& change) override {
    if (HWND view = FindControl(ids::kConsoleLogWindow, ids::kConsoleLines)) {
      ui::OnConsoleLogChanged(view, change);
    }
  }

  std::string TimeOfDay() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    return text;
  }

 private:
  static net::RconServerAddress Address(const ServerEntry& server) {
    return {.host = server.host, .port = server.port};
  }

  net::RconClientWin& Client() {
    if (!client_) {
      client_ = std::make_unique<net::RconClientWin>(
          [](const net::RconEvent& event) { OnServerEvent(event); });
    }
    return *client_;
  }

  std::unique_ptr<net::RconClientWin> client_;
};

// The one platform, alive until the program ends; its client ends with the exit routines.
WindowsServerPlatform* g_platform = nullptr;

// Neither a copy nor a cut takes the password to the clipboard, whatever the edit control does.
LRESULT CALLBACK PasswordBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
  switch (message) {
    case WM_COPY:
    case WM_CUT:
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, PasswordBoxProc, kPasswordBoxSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The list's choice and the host box's edits reach the handlers; the password box is wiped when
// the window goes.
LRESULT CALLBACK ServerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == LOWORD(ids::kServerList) && HIWORD(wParam) == CBN_SELCHANGE) {
        OnServerChosen();
      } else if (LOWORD(wParam) == LOWORD(ids::kServerHost) && HIWORD(wParam) == EN_CHANGE) {
        OnServerHostChanged();
      }
      break;
    case WM_DESTROY:
      if (HWND box = FindControl(ids::kServerWindow, ids::kServerPassword)) WipeEditBox(box);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ServerWindowProc, kServerWindowSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void LimitText(ui::ControlId box, int limit) {
  if (HWND edit = FindControl(ids::kServerWindow, box)) {
    SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
  }
}

void SetUpServerWindow(HWND hwnd) {
  LimitText(ids::kServerName, kNameLimit);
  LimitText(ids::kServerHost, kHostLimit);
  LimitText(ids::kServerPort, kPortLimit);
  LimitText(ids::kServerPassword, kPasswordLimit);
  if (HWND port = FindControl(ids::kServerWindow, ids::kServerPort)) {
    SetWindowLongPtrW(port, GWL_STYLE, GetWindowLongPtrW(port, GWL_STYLE) | ES_NUMBER);
  }
  if (HWND password = FindControl(ids::kServerWindow, ids::kServerPassword)) {
    SendMessageW(password, EM_SETPASSWORDCHAR, kPasswordChar, 0);
    SetWindowSubclass(password, PasswordBoxProc, kPasswordBoxSubclass, 0);
  }
  SetWindowSubclass(hwnd, ServerWindowProc, kServerWindowSubclass, 0);
}

// The area two screen rectangles share.
LONG Overlap(const RECT& a, const RECT& b) {
  RECT shared{};
  return IntersectRect(&shared, &a, &b)
             ? (shared.right - shared.left) * (shared.bottom - shared.top)
             : 0;
}

// The log opens below, above, right or left of the main window, wherever it hides least of it
// once kept on the main window's monitor: the main window stays usable beside it.
void PlaceBeside(HWND log, HWND main) {
  RECT mainRect{};
  RECT logRect{};
  GetWindowRect(main, &mainRect);
  GetWindowRect(log, &logRect);
  MONITORINFO monitor{sizeof monitor};
  if (!GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const LONG width = logRect.right - logRect.left;
  const LONG height = logRect.bottom - logRect.top;
  const POINT candidates[] = {{mainRect.left, mainRect.bottom},
                              {mainRect.left, mainRect.top - height},
                              {mainRect.right, mainRect.top},
                              {mainRect.left - width, mainRect.top}};
  RECT best{};
  LONG bestOverlap = -1;
  for (const POINT& at : candidates) {
    const LONG left = std::clamp<LONG>(at.x, work.left, std::max(work.left, work.right - width));
    const LONG top = std::clamp<LONG>(at.y, work.top, std::max(work.top, work.bottom - height));
    const RECT place{left, top, left + width, top + height};
    const LONG overlap = Overlap(place, mainRect);
    if (bestOverlap < 0 || overlap < bestOverlap) {
      best = place;
      bestOverlap = overlap;
    }
  }
  SetWindowPos(log, nullptr, best.left, best.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow() {
  HWND button = FindControl(ids::kMainWindow, ids::按钮27);
  return button != nullptr ? GetAncestor(button, GA_ROOT) : nullptr;
}

HWND ConsoleLogWindow() {
  HWND view = FindControl(ids::kConsoleLogWindow, ids::kConsoleLines);
  return view != nullptr ? GetAncestor(view, GA_ROOT) : nullptr;
}

void SetUpConsoleLogWindow(HWND hwnd) {
  if (HWND view = FindControl(ids::kConsoleLogWindow, ids::kConsoleLines)) {
    ui::ShowConsoleLogIn(view, &SessionConsoleLog());
  }
  if (HWND main = MainWindow()) PlaceBeside(hwnd, main);
}

void EndServerConsole(int) {
  InstallServerPlatform(nullptr);
  delete g_platform;
  g_platform = nullptr;
}

}  // namespace

void EnableServerConsole() {
  if (g_platform != nullptr) return;
  g_platform = new WindowsServerPlatform;
  InstallServerPlatform(g_platform);
  base::RegisterExitRoutine(&EndServerConsole);
  ui::win::SetEnterKeys(ids::kServerWindow, ServerWindowEnterKeys());
}

void CloseConsoleLog() {
  if (HWND window = ConsoleLogWindow()) DestroyWindow(window);
}

void OnServerWindowBuilt(ui::WindowId window, HWND hwnd) {
  if (window == ids::kServerWindow) SetUpServerWindow(hwnd);
  if (window == ids::kConsoleLogWindow) SetUpConsoleLogWindow(hwnd);
}

}  // namespace app::win
