// The remote console under Windows (Wine): the real Winsock transport and worker thread against
// servers of our own on 127.0.0.1, each job's events pumped on this thread as a window's would be,
// while another thread checks that this thread answers WM_NULL throughout. And the password's
// protection for the current user.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "net/protected_data_win.h"
#include "net/rcon_client_win.h"
#include "net/rcon_text.h"
#include "net/tests/rcon_test_server_win.h"

namespace {

using net::RconEvent;
using net::RconOutcome;
using net_test::RconTestServer;
using Stage = net::RconEvent::Stage;

// The same password as the server's configuration holds it (UTF-8) and as the program's edit box
// gives it (GBK, this file's literals being GBK).
const std::string kPasswordUtf8 = "\xE5\xAF\x86\xE7\xA0\x81pw";  // U+5BC6 U+7801 "pw"
const char kPasswordGbk[] = "密码pw";

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Pumps this thread's messages until done() or limitMs pass; false on the limit.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  while (!done()) {
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

// Another thread sends WM_NULL to a window of this thread every 20 ms; the slowest answer shows
// whether this thread ever waited for the network.
class ResponsivenessProbe {
 public:
  ResponsivenessProbe() {
    window_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    thread_ = CreateThread(nullptr, 0, &Probe, this, 0, nullptr);
  }
  // Stops the probe, pumping meanwhile so that a question under way gets its answer.
  ~ResponsivenessProbe() {
    InterlockedExchange(&stop_, 1);
    PumpUntil([this] { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }, 5000);
    CloseHandle(thread_);
    DestroyWindow(window_);
  }
  DWORD Slowest() const { return slowest_; }
  LONG Unanswered() const { return unanswered_; }
  LONG Answered() const { return answered_; }

 private:
  static DWORD WINAPI Probe(void* self) {
    auto* probe = static_cast<ResponsivenessProbe*>(self);
    while (InterlockedCompareExchange(&probe->stop_, 0, 0) == 0) {
      const ULONGLONG start = GetTickCount64();
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(probe->window_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) == 0) {
        InterlockedIncrement(&probe->unanswered_);
      } else {
        InterlockedIncrement(&probe->answered_);
        const auto took = static_cast<DWORD>(GetTickCount64() - start);
        if (took > probe->slowest_) probe->slowest_ = took;
      }
      Sleep(20);
    }
    return 0;
  }

  HWND window_ = nullptr;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  volatile LONG unanswered_ = 0;
  volatile LONG answered_ = 0;
  volatile DWORD slowest_ = 0;
};

struct Recorder {
  std::vector<RconEvent> events;
  net::RconClientWin::Receiver Receiver() {
    return [this](const RconEvent& event) { events.push_back(event); };
  }
  bool Finished(std::uint64_t job) const {
    return std::any_of(events.begin(), events.end(), [job](const RconEvent& event) {
      return event.job == job && event.stage == Stage::kFinished;
    });
  }
  std::vector<RconEvent> Of(std::uint64_t job) const {
    std::vector<RconEvent> of;
    for (const RconEvent& event : events) {
      if (event.job == job) of.push_back(event);
    }
    return of;
  }
};

std::vector<Stage> Stages(const std::vector<RconEvent>& events) {
  std::vector<Stage> stages;
  for (const RconEvent& event : events) stages.push_back(event.stage);
  return stages;
}

// Runs one job to its end (at most limitMs) and gives its events.
std::vector<RconEvent> RunToEnd(Recorder& recorder, const std::function<std::uint64_t()>& start,
                                DWORD limitMs = 20000) {
  const ULONGLONG before = GetTickCount64();
  const std::uint64_t job = start();
  EXPECT_LT(GetTickCount64() - before, 250u) << "starting a job returns at once";
  EXPECT_TRUE(PumpUntil([&] { return recorder.Finished(job); }, limitMs)) << "job " << job;
  return recorder.Of(job);
}

net::RconServerAddress Loopback(unsigned short port) {
  return {.host = "127.0.0.1", .port = port};
}

// The game's § is A1EC in GBK.
std::string GbkOfReply(std::string utf8) {
  for (std::size_t at = utf8.find("\xC2\xA7"); at != std::string::npos;
       at = utf8.find("\xC2\xA7")) {
    utf8.replace(at, 2, "\xA1\xEC");
  }
  return utf8;
}

TEST(RconClientWinTest, LogsInThenSendsACommandAndATwentyLineBlock) {
  RconTestServer server(kPasswordUtf8);
  ASSERT_TRUE(server.Listening());
  Recorder recorder;
  net::RconClientWin client(recorder.Receiver());

  std::vector<RconEvent> events = RunToEnd(recorder, [&] {
    return client.TestLogin(Loopback(server.Port()), net::SecretBytes(kPasswordGbk));
  });
  ASSERT_EQ(Stages(events), (std::vector<Stage>{Stage::kLogin, Stage::kFinished}));
  EXPECT_EQ(events[0].outcome, RconOutcome::kLoggedIn);
  EXPECT_EQ(events[0].message, "已登录服务器");
  EXPECT_EQ(events[1].outcome, RconOutcome::kLoggedIn);
  EXPECT_FALSE(client.Busy());

  events = RunToEnd(recorder, [&] {
    return client.Send(Loopback(server.Port()), net::SecretBytes(kPasswordGbk), {"/say hi"});
  });
  ASSERT_EQ(Stages(events), (std::vector<Stage>{Stage::kLogin, Stage::kCommand, Stage::kFinished}));
  EXPECT_EQ(events[1].outcome, RconOutcome::kReplied);
  EXPECT_EQ(events[1].command, "/say hi");
  EXPECT_EQ(events[1].sent, "say hi");
  EXPECT_TRUE(events[1].slashRemoved);
  EXPECT_EQ(events[1].reply, "ran: say hi");
  EXPECT_TRUE(Has(events[1].message, "已去掉开头的“/”：控制台的指令不带斜杠")) << events[1].message;
  EXPECT_EQ(events[2].unsent, 0u);
  EXPECT_EQ(events[2].message, "1 条指令都已发送");

  // A block as the workbench exports it, one command per line; the last reply is long enough
  // to come in several packets.
  std::string block;
  for (int i = 1; i < 20; ++i) block += net::Joined({"/say line ", std::to_string(i), "\r\n"});
  block += "lines 1000\r\n";
  const std::vector<std::string> lines = net::RconCommandLines(block);
  ASSERT_EQ(lines.size(), 20u);
  events = RunToEnd(recorder, [&] {
    return client.Send(Loopback(server.Port()), net::SecretBytes(kPasswordGbk), lines);
  });
  ASSERT_EQ(events.size(), 22u);
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < 20; ++i) {
    const RconEvent& event = events[i + 1];
    EXPECT_EQ(event.stage, Stage::kCommand);
    EXPECT_EQ(event.index, i);
    EXPECT_EQ(event.command, lines[i]);
    EXPECT_EQ(event.outcome, RconOutcome::kReplied) << event.message;
    expected.push_back(event.sent);
  }
  EXPECT_EQ(events[20].reply, GbkOfReply(RconTestServer::ReplyTo("lines 1000")));
  EXPECT_GT(events[20].replyBytes, 4096u * 3);
  EXPECT_EQ(events[21].message, "20 条指令都已发送");
  expected.insert(expected.begin(), "say hi");
  EXPECT_EQ(server.Commands(), expected);
  EXPECT_EQ(server.BadReads(), 0) << "a read held more than one packet";
  EXPECT_EQ(server.Connections(), 3);
}

// A listener whose queue is full. Wine's (Linux's) network stack drops further connection
// requests unanswered, so a connect waits until its limit; Windows refuses them at once, and then
// there is no connection that never comes to test.
class FullListener {
 public:
  FullListener() {
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 0);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    for (int i = 0; i < 8; ++i) {
      SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      u_long nonBlocking = 1;
      ioctlsocket(filler, FIONBIO, &nonBlocking);
      connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
      fillers_.push_back(filler);
    }
  }
  // Whether the last request is still waiting after a while, neither taken nor refused.
  bool DropsRequests() const {
    fd_set done;
    fd_set failed;
    FD_ZERO(&done);
    FD_ZERO(&failed);
    FD_SET(fillers_.back(), &done);
    FD_SET(fillers_.back(), &failed);
    timeval wait{0, 300 * 1000};
    return select(0, nullptr, &done, &failed, &wait) == 0;
  }
  ~FullListener() {
    for (SOCKET filler : fillers_) closesocket(filler);
    closesocket(listener_);
  }
  unsigned short Port() const { return port_; }

 private:
  SOCKET listener_ = INVALID_SOCKET;
  std::vector<SOCKET> fillers_;
  unsigned short port_ = 0;
};

TEST(RconClientWinTest, EveryFailureEndsTheJobWithAClearMessageAndTheWindowAnswering) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  // Each row's outcome picks what stands against the client: a wrong password for kWrongPassword,
  // a closed port for kRefused, a listener that never accepts for kConnectTimeout, a server in
  // the row's mode otherwise.
  struct Row {
    const char* name;
    RconTestServer::Mode mode;
    std::vector<std::string> commands;
    RconOutcome outcome;  // of the login, or of the first command when the login succeeds
    const char* message;  // part of that event's message
    std::size_t unsent;
  };
  using Mode = RconTestServer::Mode;
  const Row rows[] = {
      {"a wrong password", Mode::kGame, {"say a"}, RconOutcome::kWrongPassword, "密码错误", 1},
      {"a silent server", Mode::kSilent, {"say a"}, RconOutcome::kNoReply, "1.5 秒内没有收到", 1},
      {"a connection dropped after the login",
       Mode::kDropAfterLogin,
       {"say a", "say b"},
       RconOutcome::kDropped,
       "断开",
       1},
      {"a 5 MiB reply",
       Mode::kHugeReply,
       {"dump"},
       RconOutcome::kCut,
       "回复超过 1 MiB，只保留开头的 1 MiB，其余已舍弃（回复共 5242880 字节）",
       0},
      {"a malicious length",
       Mode::kMaliciousLength,
       {"say a"},
       RconOutcome::kProtocolError,
       "2147483647 超过上限",
       0},
      {"nothing listening", Mode::kGame, {"say a"}, RconOutcome::kRefused, "拒绝连接", 1},
      {"a connection never accepted",
       Mode::kGame,
       {"say a"},
       RconOutcome::kConnectTimeout,
       "1 秒内连不上",
       1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // The 5 MiB must cross within the limit on a loaded machine too.
    const net::RconLimits limits = {.connect = 1000,
                                    .reply = row.outcome == RconOutcome::kCut ? 10000 : 1500};
    const DWORD atLeastMs = row.outcome == RconOutcome::kNoReply          ? 1500
                            : row.outcome == RconOutcome::kConnectTimeout ? 1000
                                                                          : 0;
    RconTestServer server(kPasswordUtf8, row.mode);
    ASSERT_TRUE(server.Listening());
    unsigned short port = server.Port();
    if (row.outcome == RconOutcome::kRefused) {
      RconTestServer gone(kPasswordUtf8);
      port = gone.Port();
    }
    std::unique_ptr<FullListener> full;
    if (row.outcome == RconOutcome::kConnectTimeout) {
      full = std::make_unique<FullListener>();
      port = full->Port();
      if (!full->DropsRequests()) continue;
    }
    const char* password = row.outcome == RconOutcome::kWrongPassword ? "wrong" : kPasswordGbk;
    Recorder recorder;
    net::RconClientWin client(recorder.Receiver(), limits);
    const ULONGLONG start = GetTickCount64();
    std::vector<RconEvent> events;
    {
      ResponsivenessProbe probe;
      events = RunToEnd(recorder, [&] {
        return client.Send(Loopback(port), net::SecretBytes(password), row.commands);
      });
      EXPECT_EQ(probe.Unanswered(), 0);
      // A job that ends at once may end before the first question.
      EXPECT_TRUE(atLeastMs == 0 || probe.Answered() > 0);
      // Below the shortest limit, which a thread waiting for the network would show.
      EXPECT_LT(probe.Slowest(), 900u);
    }
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_GE(took + 50, atLeastMs);  // tick granularity
    EXPECT_LT(took, atLeastMs + 5000u);
    ASSERT_GE(events.size(), 2u);
    const RconEvent& telling = events[0].outcome == RconOutcome::kLoggedIn ? events[1] : events[0];
    EXPECT_EQ(telling.outcome, row.outcome);
    EXPECT_TRUE(Has(telling.message, row.message)) << telling.message;
    EXPECT_EQ(events.back().stage, Stage::kFinished);
    EXPECT_EQ(events.back().unsent, row.unsent);
    if (row.outcome == RconOutcome::kCut) {
      EXPECT_EQ(telling.reply, std::string(1024 * 1024, 'x'));
      EXPECT_EQ(telling.replyBytes, 5u * 1024 * 1024);
    }
  }
  WSACleanup();
}

TEST(RconClientWinTest, ChineseTextTravelsBothWaysAndWhatCannotBeSentIsRefused) {
  RconTestServer server(kPasswordUtf8);
  ASSERT_TRUE(server.Listening());
  Recorder recorder;
  net::RconClientWin client(recorder.Receiver());
  // U+1F600, which GBK lacks, as the program's escapes (0xFF and four hex digits a unit).
  const std::string emoji = "\377D83D\377DE00";
  const std::vector<std::string> commands = {"say 你好§a世界", net::Joined({"say ", emoji}),
                                             "chinese 5000"};
  std::vector<RconEvent> events = RunToEnd(recorder, [&] {
    return client.Send(Loopback(server.Port()), net::SecretBytes(kPasswordGbk), commands);
  });
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(server.Commands(),
            (std::vector<std::string>{"say \xE4\xBD\xA0\xE5\xA5\xBD"  // U+4F60 U+597D
                                      "\xC2\xA7"                      // U+00A7
                                      "a\xE4\xB8\x96\xE7\x95\x8C",    // a U+4E16 U+754C
                                      "say \xF0\x9F\x98\x80",         // U+1F600
                                      "chinese 5000"}));
  EXPECT_EQ(events[1].reply, "ran: say 你好§a世界");
  EXPECT_EQ(events[2].reply, net::Joined({"ran: say ", emoji}));
  // Over 4096 bytes a packet: the server cuts at 4096 characters, each three bytes.
  std::string han;
  for (int i = 0; i < 5000; ++i) han += "汉";
  EXPECT_EQ(events[3].reply, han);
  EXPECT_EQ(events[3].replyBytes, 15000u);

  // Half a surrogate pair has no UTF-8 form: the whole block stays unsent.
  const std::vector<std::string> refused = {"say fine", "say \377D83D!"};
  events = RunToEnd(recorder, [&] {
    return client.Send(Loopback(server.Port()), net::SecretBytes(kPasswordGbk), refused);
  });
  ASSERT_EQ(Stages(events), (std::vector<Stage>{Stage::kCommand, Stage::kFinished}));
  EXPECT_EQ(events[0].index, 1u);
  EXPECT_EQ(events[0].outcome, RconOutcome::kNotSent);
  EXPECT_EQ(events[0].command, refused[1]);
  EXPECT_TRUE(Has(events[0].message, "U+D83D")) << events[0].message;
  EXPECT_EQ(events[1].unsent, 2u);
  EXPECT_EQ(server.Connections(), 1);

  std::string refusal;
  EXPECT_FALSE(net::ServerBytesFromGbk("\x81", &refusal));  // a lead byte with no trail byte
  EXPECT_EQ(refusal, "有不成字的 GBK 字节");
  // The colour sign as older servers send it (one byte) and as UTF-8.
  EXPECT_EQ(net::GbkFromServerBytes("\247c\302\247d"), "§c§d");
}

TEST(RconClientWinTest, CancelAndDestructionEndJobsAtOnce) {
  RconTestServer server(kPasswordUtf8, RconTestServer::Mode::kSilent);
  ASSERT_TRUE(server.Listening());
  Recorder recorder;
  auto client = std::make_unique<net::RconClientWin>(recorder.Receiver());
  const std::uint64_t first =
      client->Send(Loopback(server.Port()), net::SecretBytes(kPasswordGbk), {"say a"});
  const std::uint64_t second =
      client->Send(Loopback(server.Port()), net::SecretBytes(kPasswordGbk), {"say b", "say c"});
  EXPECT_TRUE(client->Busy());
  PumpUntil([] { return false; }, 300);  // the first job is waiting for the login's answer
  const ULONGLONG start = GetTickCount64();
  client->Cancel();
  ASSERT_TRUE(PumpUntil([&] { return recorder.Finished(second); }, 2000));
  EXPECT_LT(GetTickCount64() - start, 1000u);
  EXPECT_EQ(recorder.Of(first).front().outcome, RconOutcome::kCancelled);
  const RconEvent dropped = recorder.Of(second).back();
  EXPECT_EQ(dropped.outcome, RconOutcome::kCancelled);
  EXPECT_EQ(dropped.unsent, 2u);
  EXPECT_FALSE(client->Busy());

  // Destroyed while a job waits on a silent server: no wait for the network.
  client->Send(Loopback(server.Port()), net::SecretBytes(kPasswordGbk), {"say d"});
  PumpUntil([] { return false; }, 300);
  const ULONGLONG before = GetTickCount64();
  client.reset();
  EXPECT_LT(GetTickCount64() - before, 1000u);  // the reply limit is ten seconds
  PumpUntil([] { return false; }, 100);         // no event reaches a receiver that is gone
}

TEST(ProtectForUserTest, TheBlobHoldsNoPlainTextAndOpensOnlyWhole) {
  const std::string plain = "s3cret-密码-s3cret";
  const std::optional<base::Bytes> blob = net::ProtectForUser(plain);
  ASSERT_TRUE(blob.has_value());
  const std::string stored(blob->begin(), blob->end());
  EXPECT_FALSE(Has(stored, plain));
  EXPECT_FALSE(Has(stored, "s3cret"));
  const std::optional<net::SecretBytes> opened = net::UnprotectForUser(*blob);
  ASSERT_TRUE(opened.has_value());
  EXPECT_EQ(opened->View(), plain);

  base::Bytes damaged = *blob;
  damaged[damaged.size() / 2] ^= 0x5A;
  EXPECT_FALSE(net::UnprotectForUser(damaged).has_value());
  EXPECT_FALSE(net::UnprotectForUser({}).has_value());
}

}  // namespace
