// The composer as a user's automation sees it: a separate process, found by window title and
// control IDs, driven with real messages, read back through WM_GETTEXT and the real clipboard,
// closed with its exit code checked. The frame probe shows the error box and exit routines.
// Winsock before windows.h, which would otherwise pull in the old winsock.
#include <winsock2.h>

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "app/workbench_window_win.h"
#include "base/runtime.h"
#include "base/text_win.h"
#include "base/unicode.h"
#include "net/tests/loopback_server_win.h"
#include "ui/ids.h"

namespace {

using namespace ui::ids;
using testing_support::BesideThisProgram;
using testing_support::FindControlById;
using testing_support::TextOf;
using testing_support::WaitForComposerWindow;

// The composer remembers its skin, its place and its scripts: each run of the tests starts
// without them, in an application-data folder of its own.
std::wstring TestAppData() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"composer-e2e-" + std::to_wstring(GetCurrentProcessId());
}

class ChildProcess {
 public:
  explicit ChildProcess(const std::wstring& commandLine) {
    // The clock's address comes from the environment the test set (loopback).
    const std::wstring appData = TestAppData();
    CreateDirectoryW(appData.c_str(), nullptr);
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring mutableLine = commandLine;
    started_ = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info_);
  }
  ~ChildProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD WaitForExit(DWORD timeoutMs = 15000) const {
    WaitForSingleObject(info_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

std::wstring Quoted(const std::wstring& path) {
  return L"\"" + path + L"\"";
}

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchMessageBox(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  wchar_t className[16] = {};
  GetClassNameW(hwnd, className, 16);
  if (owner == search->processId && lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A message box of the given process, once it shows.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = 15000) {
  BoxSearch search{processId, nullptr};
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(50);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FreshMarker(const wchar_t* name) {
  std::wstring path = BesideThisProgram(name);
  DeleteFileW(path.c_str());
  return path;
}

TEST(ComposerEndToEnd, BuildsCopiesOpensAWindowAndEndsWithExitCodeZero) {
  ChildProcess composer(Quoted(BesideThisProgram(L"composer.exe")));
  ASSERT_TRUE(composer.Started());
  HWND main = WaitForComposerWindow(kMainWindow);
  ASSERT_NE(main, nullptr);

  auto control = [&](ui::ControlId id) {
    HWND hwnd = FindControlById(main, id);
    EXPECT_NE(hwnd, nullptr) << std::hex << id;
    return hwnd;
  };
  SendMessageW(control(高级选择夹1), TCM_SETCURSEL, 1, 0);
  SendMessageW(control(单选框2), BM_CLICK, 0, 0);
  SendMessageW(control(编辑框2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"/spawn"));
  SendMessageW(control(按钮7), BM_CLICK, 0, 0);
  SendMessageW(control(按钮7), BM_CLICK, 0, 0);
  EXPECT_EQ(TextOf(control(编辑框16)), L"@command /spawn@command /spawn");

  SendMessageW(control(单选框7), BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(control(单选框2), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(control(编辑框9), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"&b&l点券"));
  SendMessageW(control(按钮13), BM_CLICK, 0, 0);
  SendMessageW(control(按钮21), BM_CLICK, 0, 0);
  const std::wstring expected = L"@command /spawn@command /spawn$item:#####&b&l点券  ";
  EXPECT_EQ(testing_support::ClipboardWideText(), expected);
  EXPECT_EQ(testing_support::ClipboardBytes(CF_TEXT),
            "@command /spawn@command /spawn$item:#####&b&l"
            "\xB5\xE3\xC8\xAF"  // 点券
            "  ");

  // A reference window is modal: the main window takes no input until it is closed.
  DWORD_PTR unused = 0;
  SendMessageTimeoutW(control(高级选择夹1), TCM_SETCURSEL, 0, 0, SMTO_NORMAL, 5000, &unused);
  PostMessageW(control(按钮5), BM_CLICK, 0, 0);
  HWND reference = WaitForComposerWindow(kCommandListWindow, 10000);
  ASSERT_NE(reference, nullptr);
  // Its rich edit box copies as rich edit does, through OLE's clipboard.
  HWND list = FindControlById(reference, kCommandListText);
  ASSERT_NE(list, nullptr);
  SendMessageW(list, EM_SETSEL, 0, -1);
  SendMessageW(list, WM_COPY, 0, 0);
  EXPECT_NE(testing_support::ClipboardWideText().find(L"/vrnl create"), std::wstring::npos);
  EXPECT_FALSE(IsWindowEnabled(main));
  PostMessageW(reference, WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && !IsWindowEnabled(main); ++i) Sleep(50);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(TextOf(control(编辑框16)), expected);

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(composer.WaitForExit(), 0u);
}

// ---- Nothing is lost at exit ------------------------------------------------------------------

void WriteFileText(const std::wstring& path, std::string_view text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 10000) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(20);
  }
  return true;
}

// A user types a command and copies it, then closes the composer while another program (an
// editor, a virus scanner) holds its settings file. The composer waits for the file after its
// window has gone and writes it; what was copied stays on the clipboard whole after the program
// has ended. The temporary file a killed save left is gone after the start; another running
// process's is left alone.
TEST(ComposerEndToEnd, NothingIsLostWhenTheSettingsAreHeldAtExit) {
  const std::wstring folder = TestAppData() + L"\\CommandComposer";
  CreateDirectoryW(TestAppData().c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring settings = folder + L"\\settings.ini";
  WriteFileText(settings, "[composer]\r\nskin=5\r\n");
  const std::wstring killed = folder + L"\\settings.ini.99999.tmp";
  const std::wstring running =
      folder + L"\\settings.ini." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  WriteFileText(killed, "[composer]\r\nskin=9\r\n");
  WriteFileText(running, "[composer]\r\nskin=9\r\n");

  ChildProcess composer(Quoted(BesideThisProgram(L"composer.exe")));
  ASSERT_TRUE(composer.Started());
  HWND main = WaitForComposerWindow(kMainWindow);
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(FileExists(killed));
  EXPECT_TRUE(FileExists(running));

  const std::wstring typed = L"/vrnl add 回城 \u2603";
  HWND box = FindControlById(main, 编辑框15);
  testing_support::ClickWithMouse(box);
  testing_support::TypeWithKeyboard(typed);
  EXPECT_TRUE(WaitFor([&] { return TextOf(box) == typed; })) << base::GbkFromWide(TextOf(box));
  testing_support::ClickWithMouse(FindControlById(main, 按钮19));
  EXPECT_TRUE(WaitFor([&] { return testing_support::ClipboardWideText() == typed; }));

  testing_support::FileHolder holder(settings);
  ASSERT_TRUE(holder.Held());
  testing_support::PressKeyChord({VK_MENU, VK_F4});
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); })) << "Alt+F4 did not close it";
  EXPECT_EQ(composer.WaitForExit(300), static_cast<DWORD>(STILL_ACTIVE)) << "it gave up";
  EXPECT_EQ(testing_support::FileText(settings), "[composer]\r\nskin=5\r\n");
  holder.LetGo();
  EXPECT_EQ(composer.WaitForExit(), 0u);
  const std::string written = testing_support::FileText(settings);
  EXPECT_EQ(written.rfind("[composer]\r\nskin=5\r\nmain_window=", 0), 0u) << written;

  EXPECT_EQ(testing_support::ClipboardWideText(), typed);
  EXPECT_EQ(testing_support::ClipboardBytes(CF_TEXT),
            "/vrnl add "
            "\xBB\xD8\xB3\xC7"  // 回城
            " ?");
  DeleteFileW(running.c_str());
}

// ---- The network clock of composer.exe --------------------------------------------------------

// Starts composer.exe with COMPOSER_CLOCK_URL naming url (this process's own value is restored
// at once) and gives the clock label's first text, or an empty text after 20 s.
std::wstring FirstClockText(const std::string& url) {
  wchar_t saved[512] = {};
  const DWORD savedLength = GetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", saved, 512);
  SetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", base::WideFromGbk(url).c_str());
  ChildProcess composer(Quoted(BesideThisProgram(L"composer.exe")));
  SetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", savedLength > 0 ? saved : nullptr);
  EXPECT_TRUE(composer.Started());
  HWND main = WaitForComposerWindow(kMainWindow);
  EXPECT_NE(main, nullptr);
  if (main == nullptr) return {};
  HWND label = FindControlById(main, 透明标签20);
  std::wstring text;
  for (int i = 0; i < 400 && text.empty(); ++i) {
    Sleep(50);
    text = TextOf(label);
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(composer.WaitForExit(), 0u);
  return text;
}

TEST(ComposerClock, ShowsTheTimeOfTheServerItsEnvironmentNames) {
  net_test::LoopbackServer server(
      "HTTP/1.1 200 OK\r\nDate: Tue, 08 Dec 2026 04:31:36 GMT\r\nContent-Length: 0\r\n"
      "Connection: close\r\n\r\n");
  ASSERT_TRUE(server.Listening());
  EXPECT_EQ(FirstClockText(server.Url()), L"2026年12月8日12时31分36秒");
  EXPECT_GE(server.Connections(), 1);
}

TEST(ComposerClock, AClosedPortShowsTheFailureText) {
  // A port that was free a moment ago: nothing listens there.
  unsigned short port = 0;
  {
    net_test::LoopbackServer probe("");
    ASSERT_TRUE(probe.Listening());
    port = probe.Port();
  }
  EXPECT_EQ(FirstClockText("http://127.0.0.1:" + std::to_string(port) + "/"), L"网络时间获取失败");
}

// Far more text than an input is meant for, sent from another process as automation would: the
// whole text arrives on the program's main-thread stack, so with too small a stack the program
// died at about 2 MB. It must stay alive, hold the text and build with it.
TEST(ComposerEndToEnd, OversizedTextFromAnotherProcessLeavesTheProgramAlive) {
  SetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", L"http://127.0.0.1:9/");
  ChildProcess composer(Quoted(BesideThisProgram(L"composer.exe")));
  ASSERT_TRUE(composer.Started());
  HWND main = WaitForComposerWindow(kMainWindow);
  ASSERT_NE(main, nullptr);
  HWND tabs = FindControlById(main, 高级选择夹1);
  HWND input = FindControlById(main, 编辑框2);
  HWND output = FindControlById(main, 编辑框16);
  ASSERT_TRUE(tabs && input && output);
  SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
  SendMessageW(FindControlById(main, 单选框2), BM_CLICK, 0, 0);
  for (const size_t length : {size_t{2'100'000}, size_t{16} << 20}) {
    const std::wstring text(length, L'x');
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        60000, &ignored);
    ASSERT_EQ(composer.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << length;
    EXPECT_EQ(static_cast<size_t>(SendMessageW(input, WM_GETTEXTLENGTH, 0, 0)), length);
    SendMessageW(FindControlById(main, 按钮22), BM_CLICK, 0, 0);
    SendMessageW(FindControlById(main, 按钮7), BM_CLICK, 0, 0);
    EXPECT_EQ(static_cast<size_t>(SendMessageW(output, WM_GETTEXTLENGTH, 0, 0)), length + 9)
        << "@command + text";
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(composer.WaitForExit(), 0u);
}

// ---- The script workbench of composer.exe, with real clicks and keys ---------------------------

using testing_support::CentreOf;
using testing_support::ClickAt;
using testing_support::PressChord;
using testing_support::PressKey;
using testing_support::TypeText;

HWND WaitForWorkbench(DWORD timeoutMs = 15000) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    HWND workbench = FindWindowW(app::win::kWorkbenchClass, L"脚本工作台");
    if (workbench != nullptr && IsWindowVisible(workbench)) return workbench;
    Sleep(50);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs = 10000) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (IsWindow(window) && GetTickCount64() < deadline) Sleep(50);
  return !IsWindow(window);
}

std::wstring ComposerFolder() {
  return TestAppData() + L"\\CommandComposer";
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  if (FILE* file = _wfopen(path.c_str(), L"rb")) {
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
    fclose(file);
  }
  return bytes;
}

// A fresh start: no scripts, no recent list, no history.
void ForgetScripts() {
  const std::wstring folder = ComposerFolder();
  for (const wchar_t* name :
       {L"recent_scripts.txt", L"history.txt", L"scripts\\每日签到.txt", L"scripts\\旧脚本.txt"}) {
    DeleteFileW((folder + L"\\" + name).c_str());
  }
}

// A user builds two lines, names the script and saves it with Ctrl+S; after a restart the
// workbench (opened with Ctrl+E) has it back and exports exactly its commands.
TEST(ComposerWorkbench, ASavedScriptIsBackAfterARestart) {
  ForgetScripts();
  {
    ChildProcess composer(Quoted(BesideThisProgram(L"composer.exe")));
    ASSERT_TRUE(composer.Started());
    HWND main = WaitForComposerWindow(kMainWindow);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    PressChord({VK_CONTROL}, VK_TAB);  // page "执行设置"
    ClickAt(CentreOf(FindControlById(main, 单选框2)));
    ClickAt(CentreOf(FindControlById(main, 编辑框2)));
    TypeText(L"/spawn");
    ClickAt(CentreOf(FindControlById(main, 按钮7)));
    ClickAt(CentreOf(FindControlById(main, 单选框3)));
    ClickAt(CentreOf(FindControlById(main, 编辑框3)));
    TypeText(L"say 你好");
    ClickAt(CentreOf(FindControlById(main, 按钮8)));
    ClickAt(CentreOf(FindControlById(main, 按钮26)));
    HWND workbench = WaitForWorkbench();
    ASSERT_NE(workbench, nullptr);
    ClickAt(CentreOf(FindControlById(workbench, kScriptName)));
    TypeText(L"每日签到");
    PressChord({VK_CONTROL}, 'S');
    EXPECT_EQ(ReadBytes(ComposerFolder() + L"\\scripts\\每日签到.txt"),
              base::Utf8FromUtf16(u"# Varnel script: 每日签到\r\n@command /spawn\r\n"
                                  u"@console say 你好\r\n"));
    PressKey(VK_ESCAPE);  // saved: it closes without asking
    EXPECT_TRUE(WaitUntilGone(workbench));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(composer.WaitForExit(), 0u);
  }
  ChildProcess again(Quoted(BesideThisProgram(L"composer.exe")));
  ASSERT_TRUE(again.Started());
  HWND main = WaitForComposerWindow(kMainWindow);
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  PressChord({VK_CONTROL}, 'E');
  HWND workbench = WaitForWorkbench();
  ASSERT_NE(workbench, nullptr);
  const std::wstring status = TextOf(FindControlById(workbench, kScriptStatus));
  EXPECT_NE(status.find(L"每日签到.txt"), std::wstring::npos) << status;
  EXPECT_NE(status.find(L"共 2 行"), std::wstring::npos) << status;
  ClickAt(CentreOf(FindControlById(workbench, kExportAll)));
  EXPECT_EQ(testing_support::ClipboardWideText(),
            L"/vrnl add 每日签到 @command /spawn\r\n/vrnl add 每日签到 @console say 你好");
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntilGone(workbench));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(again.WaitForExit(), 0u);
}

// A file another program wrote in GBK without the name line opens as rows with a message saying
// so; saving asks before it replaces that file, and a cancel leaves it as it was.
TEST(ComposerWorkbench, ADamagedFileOpensAsRawRowsWithAMessage) {
  ForgetScripts();
  const std::wstring path = ComposerFolder() + L"\\scripts\\旧脚本.txt";
  CreateDirectoryW(ComposerFolder().c_str(), nullptr);
  CreateDirectoryW((ComposerFolder() + L"\\scripts").c_str(), nullptr);
  const std::string damaged = "@command /spawn\r\n\xD5\xE2\xB2\xBB\xCA\xC7\xBD\xC5\xB1\xBE\xFE\r\n";
  WriteBytes(path, damaged);
  const std::string utf8Path = base::Utf8FromUtf16(std::u16string(path.begin(), path.end()));
  WriteBytes(ComposerFolder() + L"\\recent_scripts.txt",
             "# Command composer: recent scripts, newest first\r\nopen=" + utf8Path + "\r\n");
  ChildProcess composer(Quoted(BesideThisProgram(L"composer.exe")));
  ASSERT_TRUE(composer.Started());
  HWND main = WaitForComposerWindow(kMainWindow);
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  PressChord({VK_CONTROL}, 'E');
  HWND box = WaitForMessageBox(composer.Id());
  ASSERT_NE(box, nullptr);
  const std::wstring message = TextOf(GetDlgItem(box, 0xFFFF));
  EXPECT_NE(message.find(L"不是 UTF-8 编码，已按 GBK 读取"), std::wstring::npos) << message;
  EXPECT_NE(message.find(L"已把每一行读作一个脚本行"), std::wstring::npos) << message;
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitUntilGone(box));
  HWND workbench = WaitForWorkbench();
  ASSERT_NE(workbench, nullptr);
  ClickAt(CentreOf(FindControlById(workbench, kScriptName)));
  TypeText(L"旧");
  ClickAt(CentreOf(FindControlById(workbench, kExportAll)));
  EXPECT_EQ(testing_support::ClipboardWideText(),
            L"/vrnl add 旧 @command /spawn\r\n/vrnl add 旧 这不是脚本\uFFFD");
  PressChord({VK_CONTROL}, 'S');
  HWND replace = WaitForMessageBox(composer.Id());
  ASSERT_NE(replace, nullptr) << "saving over a file that was no script of ours asks first";
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntilGone(replace));
  EXPECT_EQ(ReadBytes(path), damaged);
  PressKey(VK_ESCAPE);  // closing with the unsaved name asks: not saved
  HWND unsaved = WaitForMessageBox(composer.Id());
  ASSERT_NE(unsaved, nullptr);
  PressKey('N');
  EXPECT_TRUE(WaitUntilGone(workbench));
  EXPECT_EQ(ReadBytes(path), damaged);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(composer.WaitForExit(), 0u);
}

// Runs the probe in a failing mode: the error box must show the text, OK must end the process
// with exit code -1, and no exit routine may have run.
void ExpectErrorBox(const std::wstring& mode, const std::wstring& expectedText) {
  const std::wstring marker = FreshMarker(L"probe-error.marker");
  ChildProcess probe(Quoted(BesideThisProgram(L"frame_probe.exe")) + L" " + mode + L" " +
                     Quoted(marker));
  ASSERT_TRUE(probe.Started());
  HWND box = WaitForMessageBox(probe.Id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), expectedText);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(probe.WaitForExit(), 0xFFFFFFFFu);
  EXPECT_FALSE(FileExists(marker)) << "an exit routine ran after a run-time error";
}

TEST(FrameProbe, RunTimeErrorShowsTheBoxAndEndsWithMinusOne) {
  ExpectErrorBox(L"error 1",
                 L"运行时出错!\r\n错误代码：1\r\n错误信息：数组成员引用下标超出定义范围");
  ExpectErrorBox(L"error 10",
                 L"运行时出错!\r\n错误代码：10\r\n错误信息："
                 L"“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零");
}

TEST(FrameProbe, FailedAllocationReportsTheSizeWithoutANumber) {
#if defined(__i386__)
  ExpectErrorBox(L"memory", L"运行时出错!\r\n错误信息：分配 4294963200 字节内存失败!");
#else
  ExpectErrorBox(L"memory", L"运行时出错!\r\n错误信息：分配 72057594037923840 字节内存失败!");
#endif
}

TEST(FrameProbe, ClosingTheMainWindowRunsTheExitRoutinesAndEndsWithZero) {
  const std::wstring marker = FreshMarker(L"probe-normal.marker");
  ChildProcess probe(Quoted(BesideThisProgram(L"frame_probe.exe")) + L" normal " + Quoted(marker));
  ASSERT_TRUE(probe.Started());
  HWND main = WaitForComposerWindow(kMainWindow);
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe.WaitForExit(), 0u);
  ASSERT_TRUE(FileExists(marker));
  FILE* file = _wfopen(marker.c_str(), L"r");
  ASSERT_NE(file, nullptr);
  char line[64] = {};
  fgets(line, sizeof line, file);
  fclose(file);
  EXPECT_STREQ(line, "exit routine at position 1\n");  // second in the list
}

}  // namespace
