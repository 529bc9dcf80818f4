// The web request and the network clock under Windows (Wine), with the real WinHTTP request
// object, against servers on 127.0.0.1 that the tests start themselves.
// Winsock before windows.h, which would otherwise pull in the old winsock.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "net/network_clock.h"
#include "net/network_clock_win.h"
#include "net/request_object_win.h"
#include "net/tests/loopback_server_win.h"
#include "net/web_request.h"

namespace {

using net_test::LoopbackServer;

const std::string kDate = "Tue, 08 Dec 2026 04:31:36 GMT";

std::string Answer(const std::string& headers, const std::string& body = "") {
  return "HTTP/1.1 200 OK\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string OnlyRequest(LoopbackServer& server) {
  const std::vector<std::string> requests = server.Requests();
  EXPECT_EQ(requests.size(), 1u);
  return requests.empty() ? std::string() : requests.front();
}

TEST(WebRequestWinTest, HeadReturnsTheResponseHeadersAndStatus) {
  LoopbackServer server(Answer("Date: " + kDate + "\r\nX-Other: 1\r\n"));
  ASSERT_TRUE(server.Listening());
  std::string responseHeaders;
  int status = 0;
  net::WebRequest(net::ComRequests(), server.Url(),
                  {.method = 2, .responseHeaders = &responseHeaders, .status = &status});
  EXPECT_EQ(status, 200);
  EXPECT_EQ(net::DateHeaderText(responseHeaders), kDate);
  EXPECT_TRUE(Has(responseHeaders, "X-Other: 1\r\n"));
  const std::string request = OnlyRequest(server);
  EXPECT_EQ(request.rfind("HEAD / HTTP/1.1\r\n", 0), 0u) << request;
  for (const std::string& line :
       {std::string("Accept: */*"), "Referer: " + server.Url(),
        std::string("Accept-Language: zh-cn"),
        std::string("User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)")}) {
    EXPECT_TRUE(Has(request, "\r\n" + line + "\r\n")) << line << "\n" << request;
  }
}

TEST(WebRequestWinTest, BodiesBothWays) {
  LoopbackServer server(Answer("", std::string("a\0b\xFF", 4)));
  ASSERT_TRUE(server.Listening());
  const base::Bytes body =
      net::WebRequest(net::ComRequests(), server.Url("/post"),
                      {.method = 1, .bodyText = "ignored", .bodyBytes = base::Bytes{0, 0xFF, 'z'}});
  EXPECT_EQ(body, (base::Bytes{'a', 0, 'b', 0xFF}));
  const std::string request = OnlyRequest(server);
  EXPECT_EQ(request.rfind("POST /post HTTP/1.1\r\n", 0), 0u) << request;
  EXPECT_TRUE(Has(request, "\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
  EXPECT_EQ(request.substr(request.size() - 3), std::string("\0\xFFz", 3));
}

TEST(WebRequestWinTest, CookiesAreSentCollectedAndMerged) {
  LoopbackServer server(Answer("Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"));
  ASSERT_TRUE(server.Listening());
  std::string cookies = "Cookie: b=0; c=3";
  std::string returned;
  net::WebRequest(net::ComRequests(), server.Url(),
                  {.cookies = &cookies, .returnedCookies = &returned});
  EXPECT_EQ(returned, "a=1; b=2; c=3");
  EXPECT_EQ(cookies, returned);
  EXPECT_TRUE(Has(OnlyRequest(server), "\r\nCookie: b=0; c=3\r\n")) << OnlyRequest(server);
}

TEST(WebRequestWinTest, HeaderLinesWithLineBreaksAreNotSent) {
  LoopbackServer server(Answer(""));
  ASSERT_TRUE(server.Listening());
  std::string headers = "X-Kept: 1\r\nX-Bad: a\rX-Injected: 1\r\nX-Lf: b\nX-Injected: 2";
  net::WebRequest(net::ComRequests(), server.Url(), {.headers = &headers});
  const std::string request = OnlyRequest(server);
  EXPECT_TRUE(Has(request, "\r\nX-Kept: 1\r\n")) << request;
  EXPECT_FALSE(Has(request, "X-Injected")) << request;
  EXPECT_FALSE(Has(request, "X-Bad")) << request;
}

// Windows sends the request to the proxy. Wine's request object takes the proxy setting but
// still connects to the target itself, so there the target gets the request; either way the
// request that goes out must carry the Basic credentials.
TEST(WebRequestWinTest, ProxyAuthorizationGoesOutWithTheRequest) {
  LoopbackServer proxy(Answer("Date: " + kDate + "\r\n"));
  LoopbackServer target(Answer("Date: " + kDate + "\r\n"));
  ASSERT_TRUE(proxy.Listening() && target.Listening());
  const std::string url = target.Url("/target");
  int status = 0;
  net::WebRequest(net::ComRequests(), url,
                  {.status = &status,
                   .proxy = "127.0.0.1:" + std::to_string(proxy.Port()),
                   .proxyUser = "u",
                   .proxyPassword = "p"});
  EXPECT_EQ(status, 200);
  const std::vector<std::string> viaProxy = proxy.Requests();
  const std::vector<std::string> direct = target.Requests();
  ASSERT_EQ(viaProxy.size() + direct.size(), 1u);
  const std::string request = viaProxy.empty() ? direct.front() : viaProxy.front();
  const std::string requestLine = viaProxy.empty() ? "GET /target" : "GET " + url;
  EXPECT_EQ(request.rfind(requestLine + " HTTP/1.1\r\n", 0), 0u) << request;
  EXPECT_TRUE(Has(request, "\r\nProxy-Authorization: Basic dTpw\r\n")) << request;
  std::printf("the request went %s\n",
              viaProxy.empty() ? "to the target directly" : "through the proxy");
}

// A caller's request object serves several requests, each opened anew, and stays the caller's.
TEST(WebRequestWinTest, CallersRequestObjectServesSeveralRequests) {
  LoopbackServer server(Answer("Date: " + kDate + "\r\n"));
  ASSERT_TRUE(server.Listening());
  net::RequestPlatform& platform = net::ComRequests();
  platform.Initialize();
  std::shared_ptr<net::RequestObject> object = platform.Create();
  ASSERT_NE(object, nullptr);
  const std::pair<int, std::string> requests[] = {{2, "/2"}, {0, "/0"}};
  for (const auto& [method, path] : requests) {
    int status = 0;
    net::WebRequest(platform, server.Url(path),
                    {.method = method, .status = &status, .requestObject = object});
    EXPECT_EQ(status, 200) << method;
  }
  EXPECT_EQ(object.use_count(), 1);
  object.reset();
  platform.Uninitialize();
  const std::vector<std::string> received = server.Requests();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].rfind("HEAD /2 HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(received[1].rfind("GET /0 HTTP/1.1\r\n", 0), 0u);
}

TEST(WebRequestWinTest, RefusedConnectionIsSilent) {
  std::string responseHeaders = "old";
  int status = 7;
  const base::Bytes body = net::WebRequest(
      net::ComRequests(), "http://127.0.0.1:9/",
      {.responseHeaders = &responseHeaders, .status = &status, .timeoutSeconds = 2});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(responseHeaders, "");
  EXPECT_EQ(status, 0);
}

TEST(NetworkTimeWinTest, DateHeadersFromRealResponses) {
  const std::string failure = "网络时间获取失败";
  const std::pair<std::string, std::string> cases[] = {
      {"Date: " + kDate + "\r\n", "2026年12月8日12时31分36秒"},
      {"Date: Thu, 31 Dec 2026 20:00:00 GMT\r\n", "2027年1月1日4时"},
      {"Date: Tue, 08 Dec 2026 16:00:00 GMT\r\n", "2026年12月9日"},
      {"Date: Tuesday, 08-Dec-26 04:05:00 GMT\r\n", "2026年12月8日12时5分"},
      {"Date: Tue Dec  8 04:31:36 2026\r\n", "2026年12月8日12时31分36秒"},
      {"Date: garbage\r\n", failure},
      {"Date: \r\n", failure},
      {"Date: Tue, 32 Dec 2026 04:31:36 GMT\r\n", failure},
      {"Date: Tue, 08 Dec 2026 04:31:36 CET\r\n", failure},
      {"Date: Tue, 08 Dec 2026 12:31:36 +0800\r\n", failure},
      {"Server: no date\r\n", failure},
      {"date:" + kDate + "\r\n", "2026年12月8日12时31分36秒"},
      {"Date: Fri, 31 Dec 9999 23:59:59 GMT\r\n", failure},  // UTC+8 is in the year 10000
      // A leap second, read alike by the platform's parser: shown as it is.
      {"Date: Wed, 31 Dec 2025 23:59:60 GMT\r\n", "2026年1月1日7时59分60秒"},
  };
  for (const auto& [headers, text] : cases) {
    LoopbackServer server(Answer(headers));
    ASSERT_TRUE(server.Listening());
    const auto time = net::NetworkTime(net::SystemClockSource(), server.Url(), 5);
    EXPECT_EQ(time ? net::ClockText(*time) : failure, text) << headers;
    EXPECT_EQ(OnlyRequest(server).rfind("HEAD / HTTP/1.1\r\n", 0), 0u);
  }
}

TEST(NetworkTimeWinTest, PlatformParserReadsFixdates) {
  EXPECT_EQ(net::PlatformHttpDate(kDate), (net::DateTime{2026, 12, 8, 4, 31, 36}));
  EXPECT_EQ(net::PlatformHttpDate("Thu, 29 Feb 2024 23:59:59 GMT"),
            (net::DateTime{2024, 2, 29, 23, 59, 59}));
}

// Runs this thread's messages until done() or the deadline; gives the longest time one message
// took to handle.
template <typename Done>
DWORD PumpUntil(Done done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  DWORD longest = 0;
  while (!done() && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      const ULONGLONG start = GetTickCount64();
      DispatchMessageW(&message);
      longest = std::max(longest, static_cast<DWORD>(GetTickCount64() - start));
    }
  }
  return longest;
}

TEST(NetworkClockWinTest, AnswerIsWrittenOnTheUserInterfaceThread) {
  LoopbackServer server(Answer("Date: " + kDate + "\r\n"));
  ASSERT_TRUE(server.Listening());
  std::vector<std::string> labels;
  DWORD writer = 0;
  net::NetworkClockWin clock(server.Url(), 5, [&](std::string_view text) {
    labels.emplace_back(text);
    writer = GetCurrentThreadId();
  });
  clock.Tick();
  EXPECT_TRUE(labels.empty());  // nothing waits for the answer
  PumpUntil([&] { return !labels.empty(); }, 10000);
  ASSERT_EQ(labels, std::vector<std::string>{"2026年12月8日12时31分36秒"});
  EXPECT_EQ(writer, GetCurrentThreadId());
  // The next tick asks again.
  clock.Tick();
  PumpUntil([&] { return labels.size() == 2; }, 10000);
  EXPECT_EQ(server.Connections(), 2);
}

// A window whose only job is to answer probe messages.
LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Probe {
  HWND window = nullptr;
  std::atomic<bool> stop{false};
  std::atomic<DWORD> longest{0};
  std::atomic<int> unanswered{0};
  std::atomic<int> answered{0};
};

DWORD WINAPI ProbeThread(void* parameter) {
  auto* probe = static_cast<Probe*>(parameter);
  while (!probe->stop) {
    const ULONGLONG start = GetTickCount64();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(probe->window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) == 0) {
      ++probe->unanswered;
    } else {
      ++probe->answered;
      const auto took = static_cast<DWORD>(GetTickCount64() - start);
      if (took > probe->longest) probe->longest = took;
    }
    Sleep(20);
  }
  return 0;
}

// A window that answers probe messages from a thread of their own, timing each round trip: the
// window's thread must never wait for the network.
class ResponsivenessProbe {
 public:
  ResponsivenessProbe() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ProbeWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"NetClockProbe";
    RegisterClassW(&windowClass);
    probe_.window = CreateWindowW(L"NetClockProbe", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    thread_ = CreateThread(nullptr, 0, &ProbeThread, &probe_, 0, nullptr);
  }
  ~ResponsivenessProbe() { Stop(); }
  void Stop() {
    if (thread_ == nullptr) return;
    probe_.stop = true;
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    thread_ = nullptr;
    DestroyWindow(probe_.window);
  }
  const Probe& Results() const { return probe_; }

 private:
  Probe probe_;
  HANDLE thread_ = nullptr;
};

// The server accepts and never answers. The window keeps answering messages, one request is out
// at a time, the label says so once a request has been out longer than its timeouts allow, and
// a request still out after five seconds is given up so that the next tick can ask again. The
// server is left running and a request hanging when the test ends: the process must still end.
TEST(NetworkClockWinTest, ServerThatNeverAnswersFreezesNothing) {
  auto* server = new LoopbackServer(Answer(""), LoopbackServer::Mode::kNeverAnswer);
  ASSERT_TRUE(server->Listening());
  ResponsivenessProbe probe;

  std::vector<std::string> labels;
  auto* clock = new net::NetworkClockWin(server->Url(), 1,
                                         [&](std::string_view text) { labels.emplace_back(text); });
  DWORD longestTick = 0;
  DWORD longestMessage = 0;
  const ULONGLONG start = GetTickCount64();
  ULONGLONG failureShownAt = 0;
  // Ticks once a second, as the clock timer does, for nine seconds.
  for (int tick = 0; tick < 9; ++tick) {
    const ULONGLONG before = GetTickCount64();
    clock->Tick();
    longestTick = std::max(longestTick, static_cast<DWORD>(GetTickCount64() - before));
    if (failureShownAt == 0 && !labels.empty()) failureShownAt = GetTickCount64() - start;
    longestMessage = std::max(longestMessage, PumpUntil([] { return false; }, 1000));
  }
  probe.Stop();

  EXPECT_LT(longestTick, 16u);
  EXPECT_LT(longestMessage, 16u);
  EXPECT_EQ(probe.Results().unanswered, 0);
  EXPECT_GT(probe.Results().answered, 50);
  std::printf(
      "longest tick %lu ms, longest message %lu ms, longest probe round trip %lu ms over %d "
      "probes; failure shown after %llu ms\n",
      static_cast<unsigned long>(longestTick), static_cast<unsigned long>(longestMessage),
      static_cast<unsigned long>(probe.Results().longest.load()), probe.Results().answered.load(),
      static_cast<unsigned long long>(failureShownAt));
  ASSERT_FALSE(labels.empty());
  for (const std::string& label : labels) EXPECT_EQ(label, "网络时间获取失败");
  EXPECT_GE(failureShownAt, 4000u);  // not before the four 1-second phases could have passed
  // The first request given up after five seconds, the second one out when the test ends.
  EXPECT_EQ(server->Connections(), 2);
  // The clock goes while its request is still out; the late answer, if any, finds no window.
  delete clock;
  // The server stays (deliberately leaked), so the request is still hanging at exit.
}

// The program's own clock (the request's timeouts as the program sets them) against a server
// that accepts the first request and stays silent, then answers again: the label says there is
// no time within six seconds of the first tick, and the next good answer shows the date.
TEST(NetworkClockWinTest, ASilentServerIsReportedWithinSixSecondsAndTheNextAnswerShown) {
  LoopbackServer server(Answer("Date: " + kDate + "\r\n"),
                        LoopbackServer::Mode::kFirstNeverAnswered);
  ASSERT_TRUE(server.Listening());
  ResponsivenessProbe probe;
  std::vector<std::pair<ULONGLONG, std::string>> labels;
  const ULONGLONG start = GetTickCount64();
  net::NetworkClockWin clock(server.Url(), std::nullopt, [&](std::string_view text) {
    labels.emplace_back(GetTickCount64() - start, text);
  });
  const std::string date = "2026年12月8日12时31分36秒";
  for (int tick = 0; tick < 15 && (labels.empty() || labels.back().second != date); ++tick) {
    clock.Tick();
    PumpUntil([] { return false; }, 1000);
  }
  probe.Stop();
  ASSERT_GE(labels.size(), 2u);
  std::printf("failure shown after %llu ms, the date after %llu ms\n", labels.front().first,
              labels.back().first);
  EXPECT_EQ(labels.front().second, "网络时间获取失败");
  EXPECT_LE(labels.front().first, 6000u);
  EXPECT_EQ(labels.back().second, date);
  EXPECT_EQ(server.Connections(), 2) << "one request out at a time";
  EXPECT_EQ(probe.Results().unanswered, 0);
}

// The handler the timer calls asks the address COMPOSER_CLOCK_URL names in this process.
std::vector<std::string>* g_shown = nullptr;
void RecordLabel(std::string_view text) {
  g_shown->emplace_back(text);
}

TEST(ShowNetworkTimeWinTest, TickHandlerAsksTheAddressOfTheEnvironment) {
  LoopbackServer server(Answer("date:Thu, 31 Dec 2026 20:00:00 GMT\r\n"));
  ASSERT_TRUE(server.Listening());
  SetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", net::WideFromGbk(server.Url("/clock")).c_str());
  EXPECT_EQ(net::ClockUrlOfThisRun(), server.Url("/clock"));
  std::vector<std::string> shown;
  g_shown = &shown;
  net::InstallNetworkClock(&net::TickSystemClock);
  net::ShowNetworkTime(&RecordLabel);
  PumpUntil([&] { return !shown.empty(); }, 20000);
  EXPECT_EQ(shown, std::vector<std::string>{"2027年1月1日4时"});
  EXPECT_EQ(OnlyRequest(server).rfind("HEAD /clock HTTP/1.1\r\n", 0), 0u);
  g_shown = nullptr;
  SetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", L"");
  EXPECT_EQ(net::ClockUrlOfThisRun(), net::DefaultClockUrl());
}

}  // namespace
