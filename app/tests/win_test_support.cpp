#include "app/tests/win_test_support.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "app/main_window_extras_win.h"
#include "app/settings_win.h"
#include "app/startup_win.h"
#include "app/tests/window_lookup_win.h"
#include "base/scoped_win.h"
#include "skin/module_loader.h"
#include "skin/skins_win.h"
#include "ui/frame_win.h"

namespace testing_support {
namespace {

// The main windows these tests show, and every composer.exe they start, ask the clock address
// that COMPOSER_CLOCK_URL names, so it must be a loopback one whatever started the tests (CTest
// sets it; a test run by hand may not).
struct ClockOnLoopback {
  ClockOnLoopback() {
    constexpr wchar_t kLoopback[] = L"http://127.0.0.1:";
    wchar_t value[512] = {};
    const DWORD length = GetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", value, 512);
    if (length == 0 || length >= 512 || wcsncmp(value, kLoopback, wcslen(kLoopback)) != 0) {
      SetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", L"http://127.0.0.1:18080/");
    }
  }
} g_clockOnLoopback;

}  // namespace

void MainWindowFixture::SetUpTestSuite() {
  ASSERT_TRUE(app::InitializeProgram());
}

std::string FileText(const std::wstring& path) {
  const base::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  char buffer[4096] = {};
  DWORD read = 0;
  if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return "<unreadable>";
  return std::string(buffer, read);
}

std::string SettingsFileText() {
  return FileText(app::win::SettingsPath());
}

void ProgramFixture::SetUpProgram(const wchar_t* suite, bool skinned) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"composer-" + suite + L"-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  SetEnvironmentVariableW(L"APPDATA", folder.c_str());
  DeleteFileW(app::win::SettingsPath().c_str());  // from an earlier run that had this id
  MainWindowFixture::SetUpTestSuite();
  ASSERT_TRUE(app::win::EnableMainWindowExtras());
  if (!skinned) return;
  skin::CreateGlobalLoader();
  ASSERT_TRUE(skin::LoadIntoGlobalLoader(skin::EngineImage()));
}

void MainWindowFixture::SetUp() {
  main_ = ui::win::ShowStartWindow(ui::ids::kMainWindow);
  ASSERT_NE(main_, nullptr);
}

void MainWindowFixture::TearDown() {
  DestroyWindow(main_);
  PumpMessages();
}

HWND MainWindowFixture::Control(ui::ControlId id) const {
  return FindControlById(main_, id);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void PumpAsTheFrame(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      if (!ui::win::TranslateProgramKeys(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

namespace {

// Sends the input and pumps until the system has delivered it all (a busy machine may take a
// while), and a little longer for what it sets off.
void Send(std::initializer_list<INPUT> inputs) {
  std::vector<INPUT> list(inputs);
  SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
  const DWORD start = GetTickCount();
  do {
    PumpAsTheFrame(30);
  } while (HIWORD(GetQueueStatus(QS_INPUT)) != 0 && GetTickCount() - start < 2000);
  PumpAsTheFrame(30);
}

INPUT Mouse(DWORD flags, POINT screen) {
  // Absolute positions run from 0 to 65535 over the primary screen; rounded up, they map back
  // onto the pixel itself.
  const long long width = GetSystemMetrics(SM_CXSCREEN);
  const long long height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((screen.x * 65536LL + width - 1) / width);
  input.mi.dy = static_cast<LONG>((screen.y * 65536LL + height - 1) / height);
  // Every event carries its position: a button event without one happens wherever the pointer
  // is by then, which under Wine may still be an older place the X server reports late.
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return input;
}

INPUT Key(WORD key, WORD unit, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = unit;
  input.ki.dwFlags = flags;
  return input;
}

}  // namespace

POINT CentreOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MovePointer(POINT screen) {
  // Under Wine an older pointer position, reported late by the X server, may still overtake a
  // move: the move is made again until the pointer stays where it was sent.
  for (int attempt = 0; attempt < 10; ++attempt) {
    Send({Mouse(0, screen)});
    POINT at{};
    GetCursorPos(&at);
    if (at.x == screen.x && at.y == screen.y) return;
  }
  ADD_FAILURE() << "the pointer does not go to " << screen.x << ", " << screen.y;
}

void ClickAt(POINT screen) {
  MovePointer(screen);
  Send({Mouse(MOUSEEVENTF_LEFTDOWN, screen), Mouse(MOUSEEVENTF_LEFTUP, screen)});
}

bool ClickInOneGo(POINT screen) {
  Send({Mouse(0, screen), Mouse(MOUSEEVENTF_LEFTDOWN, screen), Mouse(MOUSEEVENTF_LEFTUP, screen)});
  POINT at{};
  GetCursorPos(&at);
  return at.x == screen.x && at.y == screen.y;
}

void PressKey(WORD key, bool shift) {
  if (shift) {
    Send({Key(VK_SHIFT, 0, 0), Key(key, 0, 0), Key(key, 0, KEYEVENTF_KEYUP),
          Key(VK_SHIFT, 0, KEYEVENTF_KEYUP)});
  } else {
    Send({Key(key, 0, 0), Key(key, 0, KEYEVENTF_KEYUP)});
  }
}

void PressChord(std::initializer_list<WORD> modifiers, WORD key) {
  std::vector<INPUT> inputs;
  for (WORD modifier : modifiers) inputs.push_back(Key(modifier, 0, 0));
  inputs.push_back(Key(key, 0, 0));
  inputs.push_back(Key(key, 0, KEYEVENTF_KEYUP));
  for (auto modifier = std::rbegin(modifiers); modifier != std::rend(modifiers); ++modifier) {
    inputs.push_back(Key(*modifier, 0, KEYEVENTF_KEYUP));
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  const DWORD start = GetTickCount();
  do {
    PumpAsTheFrame(30);
  } while (HIWORD(GetQueueStatus(QS_INPUT)) != 0 && GetTickCount() - start < 2000);
  PumpAsTheFrame(30);
}

void TypeText(const std::wstring& text) {
  for (wchar_t unit : text) {
    Send({Key(0, unit, KEYEVENTF_UNICODE), Key(0, unit, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)});
  }
}

bool IsAbove(HWND popup, HWND window) {
  for (HWND below = GetWindow(popup, GW_HWNDNEXT); below != nullptr;
       below = GetWindow(below, GW_HWNDNEXT)) {
    if (below == window) return true;
  }
  return false;
}

std::string ClipboardBytes(UINT format) {
  std::string bytes;
  if (!OpenClipboard(nullptr)) return "<clipboard busy>";
  if (HANDLE data = GetClipboardData(format)) {
    if (const char* text = static_cast<const char*>(GlobalLock(data))) {
      bytes.assign(text, strnlen(text, GlobalSize(data)));
      GlobalUnlock(data);
    }
  } else {
    bytes = "<no data>";
  }
  CloseClipboard();
  return bytes;
}

std::wstring ClipboardWideText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(wide, wcsnlen(wide, GlobalSize(data) / sizeof(wchar_t)));
      GlobalUnlock(data);
    }
  } else {
    text = L"<no data>";
  }
  CloseClipboard();
  return text;
}

void PutOnClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

std::vector<COLORREF> RenderPixels(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  const base::ScopedGetDc screen(nullptr);
  const base::ScopedMemoryDc memory(screen);
  const base::ScopedBitmap bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
  const base::ScopedSelect selected(memory, bitmap);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()),
               PRF_CLIENT | PRF_ERASEBKGND);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(memory, x, y));
  }
  return pixels;
}

namespace {

std::function<bool()> g_step;
UINT_PTR g_timer = 0;
ULONGLONG g_deadline = 0;
bool g_stepRunning = false;

BOOL CALLBACK CloseOtherWindow(HWND hwnd, LPARAM keep) {
  if (hwnd != reinterpret_cast<HWND>(keep) && IsWindowVisible(hwnd)) {
    PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_step || g_stepRunning) return;
  g_stepRunning = true;
  const bool done = g_step();
  g_stepRunning = false;
  if (done) {
    KillTimer(nullptr, g_timer);
    g_step = nullptr;
  } else if (GetTickCount64() > g_deadline) {
    // The awaited window never came: fail, and close what is open so the test cannot hang.
    KillTimer(nullptr, g_timer);
    g_step = nullptr;
    ADD_FAILURE() << "the awaited window did not appear";
    EnumThreadWindows(GetCurrentThreadId(), CloseOtherWindow,
                      reinterpret_cast<LPARAM>(GetAncestor(GetActiveWindow(), GA_ROOTOWNER)));
  }
}

}  // namespace

void WhenLoopRuns(std::function<bool()> step) {
  g_step = std::move(step);
  g_deadline = GetTickCount64() + 15000;
  g_timer = SetTimer(nullptr, 0, 50, RunStep);
}

std::wstring BesideThisProgram(const std::wstring& name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + name;
}

void ClickWithMouse(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  // Moved there first, pressed a moment later and let go, as a hand does.
  const auto send = [](DWORD flags, LONG x, LONG y) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
  };
  const LONG x = MulDiv((rect.left + rect.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  const LONG y = MulDiv((rect.top + rect.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  // Each event carries its place: under Wine the pointer may otherwise be taken from where
  // another process last left the X pointer.
  constexpr DWORD kAt = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  send(kAt, x, y);
  Sleep(30);
  send(kAt | MOUSEEVENTF_LEFTDOWN, x, y);
  Sleep(30);
  send(kAt | MOUSEEVENTF_LEFTUP, x, y);
}

void TypeWithKeyboard(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (const wchar_t unit : text) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
    inputs.push_back(input);
    input.ki.dwFlags |= KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKeyChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (const WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *it;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

FileHolder::FileHolder(const std::wstring& path) {
  const std::wstring name = L"composer-test-holder-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(GetTickCount64());
  ready_ = CreateEventW(nullptr, TRUE, FALSE, (name + L"-ready").c_str());
  release_ = CreateEventW(nullptr, TRUE, FALSE, (name + L"-release").c_str());
  std::wstring line = L"\"" + BesideThisProgram(L"file_holder.exe") + L"\" \"" + path + L"\" " +
                      name + L"-ready " + name + L"-release";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process_)) {
    return;
  }
  const HANDLE waits[2] = {ready_, process_.hProcess};
  held_ = WaitForMultipleObjects(2, waits, FALSE, 15000) == WAIT_OBJECT_0;
}

FileHolder::~FileHolder() {
  LetGo();
  CloseHandle(ready_);
  CloseHandle(release_);
}

void FileHolder::LetGo() {
  if (process_.hProcess == nullptr) return;
  SetEvent(release_);
  WaitForSingleObject(process_.hProcess, 15000);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  process_ = {};
  held_ = false;
}

}  // namespace testing_support
