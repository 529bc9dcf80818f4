// Sending to the game server through the real windows, with real clicks and keys, against remote-
// console servers of our own on 127.0.0.1: a server set up in its window once, a login test, the
// command box and a block of twenty commands sent, the answers read in the log and copied; then a
// wrong password, a refused connection, a silent server, a dropped connection, a 5 MiB answer and
// a character that cannot be sent, each with the main window answering WM_NULL throughout and the
// typed command kept. The settings file is read back byte by byte for the password.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window_extras_win.h"
#include "app/remembered_settings_win.h"
#include "app/server_console.h"
#include "app/settings_win.h"
#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "app/workbench.h"
#include "app/workbench_window_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "compose/script_session.h"
#include "net/protected_data_win.h"
#include "net/rcon_session.h"
#include "net/rcon_text.h"
#include "net/tests/rcon_test_server_win.h"
#include "ui/console_view_win.h"
#include "ui/frame_win.h"
#include "ui/note_popup_win.h"

namespace {

using namespace ui::ids;
using net_test::RconTestServer;
using testing_support::CentreOf;
using testing_support::ClickAt;
using testing_support::PressKey;
using testing_support::PumpAsTheFrame;
using testing_support::TextOf;
using testing_support::TypeText;
using testing_support::WhenLoopRuns;

// The password as the server's configuration holds it (UTF-8) and as the user types it.
const std::string kPasswordUtf8 = "\xE5\xAF\x86\xE7\xA0\x81pw";  // U+5BC6 U+7801 "pw"
const std::wstring kPasswordTyped = L"\x5BC6\x7801pw";

// Another thread sends WM_NULL to a window of this thread every 20 ms; the slowest answer shows
// whether this thread ever waited for the network.
class ResponsivenessProbe {
 public:
  explicit ResponsivenessProbe(HWND window) : window_(window) {
    thread_ = CreateThread(nullptr, 0, &Probe, this, 0, nullptr);
  }
  ~ResponsivenessProbe() { Stop(); }
  void Stop() {
    if (thread_ == nullptr) return;
    InterlockedExchange(&stop_, 1);
    while (WaitForSingleObject(thread_, 0) != WAIT_OBJECT_0) PumpAsTheFrame(10);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  DWORD Slowest() const { return slowest_; }
  LONG Unanswered() const { return unanswered_; }

 private:
  static DWORD WINAPI Probe(void* self) {
    auto* probe = static_cast<ResponsivenessProbe*>(self);
    while (InterlockedCompareExchange(&probe->stop_, 0, 0) == 0) {
      const ULONGLONG start = GetTickCount64();
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(probe->window_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) == 0) {
        InterlockedIncrement(&probe->unanswered_);
      } else if (const auto took = static_cast<DWORD>(GetTickCount64() - start);
                 took > probe->slowest_) {
        probe->slowest_ = took;
      }
      Sleep(20);
    }
    return 0;
  }

  HWND window_;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  volatile LONG unanswered_ = 0;
  volatile DWORD slowest_ = 0;
};

// Pumps as the frame does until done() or limitMs pass; false on the limit.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  while (!done()) {
    if (GetTickCount64() >= end) return false;
    PumpAsTheFrame(20);
  }
  return true;
}

// A key pressed with Ctrl held, as real input.
void PressWithControl(WORD key) {
  INPUT inputs[4]{};
  const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, inputs, sizeof(INPUT));
  PumpAsTheFrame(150);
}

// Clicks an edit box, selects what it holds with the keys and types text over it.
void TypeOver(HWND edit, const std::wstring& text) {
  ClickAt(CentreOf(edit));
  PressKey(VK_END);
  PressKey(VK_HOME, true);
  PressKey(VK_DELETE);
  TypeText(text);
}

// Runs action once the next modal loop runs (the server window's, a question box's). The action
// pumps messages itself, so it is kept from starting again inside itself.
void InTheModalLoop(std::function<bool()> action) {
  auto running = std::make_shared<bool>(false);
  WhenLoopRuns([action = std::move(action), running]() -> bool {
    if (*running) return false;
    *running = true;
    const bool done = action();
    *running = false;
    return done;
  });
}

BOOL CALLBACK FindQuestion(HWND hwnd, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(hwnd, name, 16);
  if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

// The question box the program shows, if one is shown.
HWND ShownQuestion() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindQuestion, reinterpret_cast<LPARAM>(&found));
  return found;
}

// When the program asks (a block of commands is about to go), a real click on OK, noted in asked.
void AnswerTheQuestionWithOk(bool& asked) {
  InTheModalLoop([&asked]() -> bool {
    HWND question = ShownQuestion();
    if (question == nullptr) return false;
    asked = true;
    ClickAt(CentreOf(GetDlgItem(question, IDOK)));
    return true;
  });
}

std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  const base::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char buffer[4096];
  DWORD read = 0;
  while (file && ::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

class ServerConsoleTest : public testing_support::ProgramFixture {
 protected:
  // The settings file is the test's own to read.
  static void SetUpTestSuite() { SetUpProgram(L"server-test", false); }

  HWND Server(ui::ControlId id) const { return ui::win::FindControl(kServerWindow, id); }
  HWND Log(ui::ControlId id) const { return ui::win::FindControl(kConsoleLogWindow, id); }

  // Types a command into the command box and clicks "发送到服务器", with real input.
  void SendFromTheBox(const std::wstring& command) {
    TypeOver(Control(编辑框15), command);
    ClickAt(CentreOf(Control(按钮27)));
  }

  // The log's text from line first on, as a copy gives it.
  static std::string LogFrom(std::size_t first) {
    const ui::ConsoleLog& log = app::SessionConsoleLog();
    return first < log.LineCount() ? log.Text(first, log.LineCount() - 1) : std::string();
  }

  // Makes server (with password, UTF-8 as typed) the current one, as saving it would.
  static void UseServer(unsigned short port, const std::string& passwordGbk) {
    app::Settings& settings = app::win::RememberedSettings();
    settings.servers = {{"测试服", "127.0.0.1", port, *net::ProtectForUser(passwordGbk)}};
    settings.currentServer = 0;
  }
};

// The whole way once: no server yet, so the send button opens the server window; a host outside
// the private ranges is warned about before anything connects; the server is typed in, tested
// and saved; then the box's command and a block of twenty go, and their answers are in the log.
TEST_F(ServerConsoleTest, SetUpOnceThenSendTheBoxAndABlock) {
  RconTestServer server(kPasswordUtf8);
  ASSERT_TRUE(server.Listening());
  testing_support::PutOnClipboard(L"sentinel");

  std::wstring warning;
  std::wstring tested;
  std::wstring passwordAfterSave = L"?";
  std::string settingsFile;
  InTheModalLoop([&]() -> bool {
    if (Server(kServerHost) == nullptr ||
        !IsWindowVisible(GetAncestor(Server(kServerHost), GA_ROOT))) {
      return false;
    }
    TypeOver(Server(kServerName), L"\x751F\x5B58\x670D");  // 生存服
    TypeOver(Server(kServerHost), L"mc.example.org");
    warning = TextOf(Server(kServerWarning));
    TypeOver(Server(kServerHost), L"127.0.0.1");
    TypeOver(Server(kServerPort), std::to_wstring(server.Port()));
    TypeOver(Server(kServerPassword), kPasswordTyped);
    // The password box gives nothing to the clipboard.
    PressKey(VK_HOME, true);
    PressWithControl('C');
    EXPECT_EQ(server.Connections(), 0) << "nothing connects before the test button";
    ClickAt(CentreOf(Server(kServerTest)));
    PumpUntil([&] { return TextOf(Server(kServerResult)).rfind(L"\x6D4B\x8BD5\x6210", 0) == 0; },
              15000);  // "测试成"
    tested = TextOf(Server(kServerResult));
    ClickAt(CentreOf(Server(kServerSave)));
    passwordAfterSave = TextOf(Server(kServerPassword));
    settingsFile = FileBytes(app::win::SettingsPath());
    ClickAt(CentreOf(Server(kServerClose)));
    return true;
  });
  SendFromTheBox(L"/say \x4F60\x597D");  // "/say 你好": the server window opens instead
  PumpUntil([&] { return Server(kServerHost) == nullptr; }, 5000);

  EXPECT_NE(warning.find(L"\x660E\x6587"), std::wstring::npos) << "明文";
  EXPECT_EQ(tested, L"\x6D4B\x8BD5\x6210\x529F\xFF1A\x5DF2\x767B\x5F55\x670D\x52A1\x5668");
  EXPECT_EQ(testing_support::ClipboardWideText(), L"sentinel");
  EXPECT_EQ(passwordAfterSave, L"");
  EXPECT_TRUE(server.Commands().empty()) << "setting up sends nothing";
  // The settings file holds the server and an encrypted password, never the password itself.
  EXPECT_NE(settingsFile.find("server.1.host=127.0.0.1\r\n"), std::string::npos) << settingsFile;
  EXPECT_NE(settingsFile.find("server.1.password="), std::string::npos);
  for (const std::string& plain :
       {kPasswordUtf8, base::GbkFromWide(kPasswordTyped), std::string("pw\r\n"),
        std::string(reinterpret_cast<const char*>(kPasswordTyped.c_str()),
                    kPasswordTyped.size() * sizeof(wchar_t))}) {
    EXPECT_EQ(settingsFile.find(plain), std::string::npos);
  }

  // Now the box's command goes, its '/' taken off, and the Chinese comes back.
  std::size_t first = app::SessionConsoleLog().LineCount();
  ClickAt(CentreOf(Control(按钮27)));
  ASSERT_TRUE(
      PumpUntil([&] { return LogFrom(first).find("ran: say") != std::string::npos; }, 20000));
  EXPECT_EQ(server.Commands(), (std::vector<std::string>{"say \xE4\xBD\xA0\xE5\xA5\xBD"}));
  EXPECT_NE(
      LogFrom(first).find("> say 你好\r\n已去掉开头的“/”：控制台的指令不带斜杠\r\nran: say 你好"),
      std::string::npos)
      << LogFrom(first);
  EXPECT_EQ(TextOf(Control(编辑框15)), L"/say \x4F60\x597D") << "the box keeps its text";

  // A block of twenty asks once, then goes in order; the last answer comes in several packets.
  std::vector<std::string> block;
  for (int i = 1; i < 20; ++i) block.push_back(net::Joined({"/say line ", std::to_string(i)}));
  block.push_back("lines 1000");
  bool asked = false;
  AnswerTheQuestionWithOk(asked);
  first = app::SessionConsoleLog().LineCount();
  ResponsivenessProbe probe(main_);
  EXPECT_TRUE(app::SendCommandsToServer(block, {kMainWindow, 按钮27, ui::Kind::kButton}));
  ASSERT_TRUE(PumpUntil(
      [&] { return LogFrom(first).find("20 条指令都已发送") != std::string::npos; }, 30000));
  probe.Stop();
  EXPECT_TRUE(asked);
  EXPECT_EQ(probe.Unanswered(), 0);
  EXPECT_LT(probe.Slowest(), 1500u);
  const std::vector<std::string> received = server.Commands();
  ASSERT_EQ(received.size(), 21u);
  for (int i = 1; i < 20; ++i)
    EXPECT_EQ(received[i], net::Joined({"say line ", std::to_string(i)}));
  EXPECT_EQ(received[20], "lines 1000");
  const std::string text = LogFrom(first);
  EXPECT_NE(text.find("[19/20] > say line 19\r\n"), std::string::npos);
  EXPECT_NE(text.find("[20/20] > lines 1000\r\n"), std::string::npos);
  EXPECT_EQ(server.BadReads(), 0);

  // In the log: a click on a line, Ctrl+A and Ctrl+C copy what it shows; the button copies all.
  HWND view = Log(kConsoleLines);
  ASSERT_NE(view, nullptr);
  ClickAt(CentreOf(view));
  PressWithControl('A');
  PressWithControl('C');
  const std::wstring copied = testing_support::ClipboardWideText();
  EXPECT_NE(copied.find(L"ran: say \x4F60\x597D\r\n"), std::wstring::npos);
  EXPECT_NE(copied.find(L"[20/20] > lines 1000"), std::wstring::npos);
  // A click and Shift+Down twice take three lines.
  ClickAt(CentreOf(view));
  PressKey(VK_DOWN, true);
  PressKey(VK_DOWN, true);
  PressWithControl('C');
  const std::string three = ui::SelectedConsoleText(view);
  EXPECT_EQ(std::count(three.begin(), three.end(), '\n'), 2) << three;
  EXPECT_EQ(testing_support::ClipboardWideText(), base::WideFromGbk(three));
  testing_support::PutOnClipboard(L"sentinel");
  ClickAt(CentreOf(Log(kConsoleCopyAll)));
  EXPECT_EQ(testing_support::ClipboardWideText(), base::WideFromGbk(LogFrom(0)));

  // The workbench sends the whole script in one click: its add commands, asked about once.
  compose::Session().StartNew();
  compose::Session().Script().Rename("每日签到");
  compose::Session().Script().Append("@console say hi");
  compose::Session().Script().Append("@msg:&a签到成功！");
  app::OpenWorkbench();
  HWND sendAll = testing_support::FindControlById(app::win::Workbench(), kSendAll);
  ASSERT_NE(sendAll, nullptr);
  asked = false;
  AnswerTheQuestionWithOk(asked);
  first = app::SessionConsoleLog().LineCount();
  const std::size_t before = server.Commands().size();
  ClickAt(CentreOf(sendAll));
  ASSERT_TRUE(PumpUntil(
      [&] { return LogFrom(first).find("2 条指令都已发送") != std::string::npos; }, 30000));
  EXPECT_TRUE(asked);
  const std::vector<std::string> script = server.Commands();
  ASSERT_EQ(script.size(), before + 2);
  EXPECT_EQ(script[before],
            "vrnl add \xE6\xAF\x8F\xE6\x97\xA5\xE7\xAD\xBE\xE5\x88\xB0 @console say hi");
  EXPECT_EQ(script[before + 1],
            "vrnl add \xE6\xAF\x8F\xE6\x97\xA5\xE7\xAD\xBE\xE5\x88\xB0 "
            "@msg:&a\xE7\xAD\xBE\xE5\x88\xB0\xE6\x88\x90\xE5\x8A\x9F\xEF\xBC\x81");
  app::win::DestroyWorkbench();
}

// What goes wrong is said in the log, the window answers throughout, and the box keeps the
// command to send again.
TEST_F(ServerConsoleTest, EveryFailureIsSaidAndTheWindowStaysResponsive) {
  struct Row {
    RconTestServer::Mode mode;
    const char* password;  // GBK, as the user would have saved it
    std::wstring command;
    const char* said;  // in the log
    bool listening = true;
  };
  const Row rows[] = {
      {RconTestServer::Mode::kGame, "wrong", L"list", "密码错误，服务器拒绝登录"},
      {RconTestServer::Mode::kGame, "密码pw", L"list", "服务器拒绝连接", false},
      {RconTestServer::Mode::kSilent, "密码pw", L"list", "10 秒内没有收到服务器的完整回复"},
      {RconTestServer::Mode::kDropAfterLogin, "密码pw", L"list", "服务器断开了连接"},
      {RconTestServer::Mode::kHugeReply, "密码pw", L"list",
       "回复超过 1 MiB，只保留开头的 1 MiB，其余已舍弃（回复共 5242880 字节）"},
      {RconTestServer::Mode::kGame, "密码pw", L"say \xD83D!",
       "未发送：指令中有服务器无法接收的字符 U+D83D（半个代理对）"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.said);
    auto server = std::make_unique<RconTestServer>(kPasswordUtf8, row.mode);
    ASSERT_TRUE(server->Listening());
    UseServer(server->Port(), row.password);
    if (!row.listening) server.reset();  // nothing listens on that port any more
    const std::size_t first = app::SessionConsoleLog().LineCount();
    ResponsivenessProbe probe(main_);
    SendFromTheBox(row.command);
    EXPECT_TRUE(
        PumpUntil([&] { return LogFrom(first).find(row.said) != std::string::npos; }, 25000))
        << LogFrom(first);
    probe.Stop();
    EXPECT_EQ(probe.Unanswered(), 0);
    EXPECT_LT(probe.Slowest(), 1500u);
    EXPECT_EQ(TextOf(Control(编辑框15)), row.command) << "the box keeps what was typed";
    if (row.mode == RconTestServer::Mode::kHugeReply) {
      const ui::ConsoleLog& log = app::SessionConsoleLog();
      std::size_t kept = 0;
      for (std::size_t i = first; i < log.LineCount(); ++i) {
        if (log.Line(i).kind == ui::ConsoleLineKind::kReply) kept += log.Line(i).text.size() + 1;
      }
      EXPECT_GT(kept, 1000000u);
      EXPECT_LE(kept, 1024u * 1024u + 1);
    }
    if (server && row.command.find(L'\xD83D') != std::wstring::npos) {
      EXPECT_TRUE(server->Commands().empty()) << "a refused command sends nothing";
      EXPECT_EQ(server->Connections(), 0);
    }
  }
}

}  // namespace
