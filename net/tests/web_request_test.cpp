// The web request's pure helpers, and its exact sequence of calls on the request object, seen
// through a recording stand-in.
#include "net/web_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

const std::string kUserAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// Records every member call as text, in order, into a log it shares with its platform.
class RecordingObject final : public net::RequestObject {
 public:
  explicit RecordingObject(std::shared_ptr<Calls> log) : log_(std::move(log)) {}
  ~RecordingObject() override { log_->push_back("Release"); }

  bool SetTimeouts(int a, int b, int c, int d) override {
    return Record("SetTimeouts(" + std::to_string(a) + "," + std::to_string(b) + "," +
                  std::to_string(c) + "," + std::to_string(d) + ")");
  }
  bool SetProxy(int setting, std::string_view server) override {
    return Record("SetProxy(" + std::to_string(setting) + "," + std::string(server) + ")");
  }
  bool Open(std::string_view verb, std::string_view url, bool async) override {
    return Record("Open(" + std::string(verb) + "," + std::string(url) + "," +
                  (async ? "true" : "false") + ")");
  }
  bool SetOption(int option, int value) override {
    return Record("Option(" + std::to_string(option) + ")=" + std::to_string(value));
  }
  bool SetCredentials(std::string_view user, std::string_view password, int flags) override {
    return Record("SetCredentials(" + std::string(user) + "," + std::string(password) + "," +
                  std::to_string(flags) + ")");
  }
  bool SetRequestHeader(std::string_view name, std::string_view value) override {
    return Record("SetRequestHeader(" + std::string(name) + "|" + std::string(value) + ")");
  }
  bool Send(std::string_view body) override { return Record("Send(" + std::string(body) + ")"); }
  bool SendBytes(std::span<const std::uint8_t> body) override {
    return Record("SendBytes(" + std::string(body.begin(), body.end()) + ")");
  }
  bool WaitForResponse(int timeoutSeconds) override {
    Record("WaitForResponse(" + std::to_string(timeoutSeconds) + ")");
    return answers;
  }
  bool Abort() override { return Record("Abort"); }
  base::Bytes ResponseBody() override {
    Record("ResponseBody");
    return body;
  }
  std::string GetAllResponseHeaders() override {
    Record("GetAllResponseHeaders");
    return responseHeaders;
  }
  double Status() override {
    Record("Status");
    return status;
  }

  base::Bytes body;
  std::string responseHeaders;
  double status = 200;
  bool accepts = true;  // false: the object refuses every call
  bool answers = true;  // false: an asynchronous exchange is still out when waited for

 private:
  bool Record(std::string call) {
    log_->push_back(std::move(call));
    return accepts;
  }
  std::shared_ptr<Calls> log_;
};

class RecordingPlatform final : public net::RequestPlatform {
 public:
  void Initialize() override { log->push_back("CoInitialize"); }
  void Uninitialize() override { log->push_back("CoUninitialize"); }
  std::shared_ptr<net::RequestObject> Create() override {
    log->push_back("Create");
    if (!creates) return nullptr;
    auto created = std::make_shared<RecordingObject>(log);
    created->responseHeaders = responseHeaders;
    created->body = body;
    created->status = status;
    created->accepts = accepts;
    created->answers = answers;
    return created;
  }

  // Only the calls from Open up to and including Send.
  Calls Setup() const {
    Calls calls;
    bool in = false;
    for (const std::string& call : *log) {
      if (call.rfind("Open(", 0) == 0) in = true;
      if (in) calls.push_back(call);
      if (call.rfind("Send", 0) == 0) break;
    }
    return calls;
  }
  // The headers set, in order.
  Calls Headers() const {
    Calls headers;
    for (const std::string& call : *log) {
      if (call.rfind("SetRequestHeader(", 0) == 0) headers.push_back(call.substr(17));
    }
    return headers;
  }
  bool Called(std::string_view prefix) const {
    for (const std::string& call : *log) {
      if (call.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }

  std::shared_ptr<Calls> log = std::make_shared<Calls>();
  bool creates = true;
  bool accepts = true;
  bool answers = true;
  std::string responseHeaders;
  base::Bytes body;
  double status = 200;
};

const std::string kUrl = "http://127.0.0.1:1/p";

TEST(WebRequestSequenceTest, DefaultsFromStartToEnd) {
  RecordingPlatform platform;
  platform.body = {'h', 'i'};
  EXPECT_EQ(net::WebRequest(platform, kUrl), (base::Bytes{'h', 'i'}));
  const Calls expected = {
      "CoInitialize",
      "Create",
      "SetTimeouts(15000,15000,15000,15000)",
      "Open(GET," + kUrl + ",false)",
      "SetRequestHeader(Accept|*/*)",
      "SetRequestHeader(Referer|" + kUrl + ")",
      "SetRequestHeader(Accept-Language|zh-cn)",
      "SetRequestHeader(User-Agent|Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1))",
      "Send()",
      "ResponseBody",
      "GetAllResponseHeaders",
      "Status",
      "Release",
      "CoUninitialize",
  };
  EXPECT_EQ(*platform.log, expected);
}

// An exchange that must be answered in time is opened asynchronously and waited for; a late one
// is aborted and reads as an unreachable server's: nothing is read, the outputs are emptied.
TEST(WebRequestSequenceTest, AnswerWithinATime) {
  for (const bool answers : {true, false}) {
    SCOPED_TRACE(answers);
    RecordingPlatform platform;
    platform.answers = answers;
    platform.responseHeaders = "Date: x\r\n";
    std::string responseHeaders = "old";
    int status = 7;
    net::WebRequest(platform, kUrl,
                    {.method = 2,
                     .responseHeaders = &responseHeaders,
                     .status = &status,
                     .answerWithinSeconds = 5});
    Calls tail(std::find(platform.log->begin(), platform.log->end(), "Send()"),
               platform.log->end());
    const Calls answered = {
        "Send()",  "WaitForResponse(5)", "ResponseBody", "GetAllResponseHeaders", "Status",
        "Release", "CoUninitialize"};
    const Calls late = {"Send()", "WaitForResponse(5)", "Abort", "Release", "CoUninitialize"};
    EXPECT_EQ(platform.Setup().front(), "Open(HEAD," + kUrl + ",true)");
    EXPECT_EQ(tail, answers ? answered : late);
    EXPECT_EQ(responseHeaders, answers ? "Date: x\r\n" : "");
    EXPECT_EQ(status, answers ? 200 : 0);
  }
}

TEST(WebRequestSequenceTest, VerbTable) {
  const std::pair<int, std::string> cases[] = {
      {0, "GET"},   {1, "POST"},    {2, "HEAD"}, {3, "PUT"}, {4, "OPTIONS"}, {5, "DELETE"},
      {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"},  {9, "GET"}, {-1, "GET"}};
  for (const auto& [method, verb] : cases) {
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl, {.method = method});
    EXPECT_EQ(platform.Setup().front(), "Open(" + verb + "," + kUrl + ",false)") << method;
  }
}

TEST(WebRequestSequenceTest, Timeouts) {
  const std::pair<std::optional<int>, std::string> cases[] = {
      {std::nullopt, "SetTimeouts(15000,15000,15000,15000)"},
      {0, "SetTimeouts(15000,15000,15000,15000)"},
      {-5, "SetTimeouts(15000,15000,15000,15000)"},
      {3, "SetTimeouts(3000,3000,3000,3000)"},
      {2147483647, "SetTimeouts(2147483000,2147483000,2147483000,2147483000)"},
  };
  for (const auto& [timeout, call] : cases) {
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl, {.timeoutSeconds = timeout});
    EXPECT_EQ((*platform.log)[2], call);
  }
  RecordingPlatform untouched;
  net::WebRequest(untouched, kUrl, {.timeoutSeconds = -1});
  EXPECT_FALSE(untouched.Called("SetTimeouts"));
}

TEST(WebRequestSequenceTest, StandardHeadersAreAddedToTheCallersVariable) {
  RecordingPlatform platform;
  std::string headers;
  net::WebRequest(platform, kUrl, {.headers = &headers});
  EXPECT_EQ(headers,
            "Accept: */*\r\nReferer: " + kUrl + "\r\nAccept-Language: zh-cn\r\n" + kUserAgent);
  EXPECT_EQ(platform.Headers().size(), 4u);
}

TEST(WebRequestSequenceTest, ExistingHeaderIsFoundByItsWholeNameWhateverItsCase) {
  const std::string rest = "Referer: " + kUrl + "\r\nAccept-Language: zh-cn\r\n" + kUserAgent;
  const std::pair<std::string, std::string> cases[] = {
      {"accept: text/html", "Accept: text/html\r\n" + rest},
      {"ACCEPT:text/html", "ACCEPT:text/html\r\n" + rest},
      // Another header whose name ends in the same word does not count.
      {"X-Accept: 1", "X-Accept: 1\r\nAccept: */*\r\n" + rest},
      {"X-Referer: 1\r\nuser-agent: me",
       "X-Referer: 1\r\nUser-Agent: me\r\nAccept: */*\r\nReferer: " + kUrl +
           "\r\nAccept-Language: zh-cn"},
      // A value that mentions a name is no header of that name.
      {"X-Note: Accept: none", "X-Note: Accept: none\r\nAccept: */*\r\n" + rest},
  };
  for (const auto& [given, sent] : cases) {
    RecordingPlatform platform;
    std::string headers = given;
    net::WebRequest(platform, kUrl, {.headers = &headers});
    EXPECT_EQ(headers, sent) << given;
  }
}

TEST(WebRequestSequenceTest, PostAddsContentTypeAndOptionsComeFirst) {
  RecordingPlatform platform;
  net::WebRequest(platform, kUrl,
                  {.method = 1,
                   .bodyText = "a=1",
                   .noRedirect = true,
                   .ignoredCertificateErrors = net::kIgnoredCertificateErrors});
  const Calls setup = platform.Setup();
  EXPECT_EQ(setup[1], "Option(6)=0");
  // Certificate faults are accepted only when the caller asks.
  EXPECT_EQ(setup[2], "Option(4)=13056");
  EXPECT_EQ(platform.Headers().back(), "Content-Type|application/x-www-form-urlencoded)");
  EXPECT_EQ(setup.back(), "Send(a=1)");
}

TEST(WebRequestSequenceTest, HeadersLeftAloneWhenAsked) {
  RecordingPlatform platform;
  std::string headers = "x-a: 1\r\nx-b: 2";
  net::WebRequest(platform, kUrl,
                  {.headers = &headers, .completeHeaders = false, .normaliseHeaderNames = false});
  EXPECT_EQ(headers, "x-a: 1\r\nx-b: 2");
  EXPECT_EQ(platform.Headers(), (Calls{"x-a|1)", "x-b|2)"}));
}

TEST(WebRequestSequenceTest, KeepAliveIsDroppedOnlyAmongSeveralLines) {
  {
    RecordingPlatform platform;
    std::string headers = "Connection: keep-alive\r\nX-A: 1";
    net::WebRequest(platform, kUrl, {.headers = &headers, .completeHeaders = false});
    EXPECT_EQ(platform.Headers(), (Calls{"X-A|1)"}));
  }
  {
    RecordingPlatform platform;
    std::string headers = "Connection: close\r\nX-A: 1";
    net::WebRequest(platform, kUrl, {.headers = &headers, .completeHeaders = false});
    EXPECT_EQ(platform.Headers(), (Calls{"Connection|close)", "X-A|1)"}));
  }
  {
    RecordingPlatform platform;
    std::string headers = "Connection: keep-alive";
    net::WebRequest(platform, kUrl, {.headers = &headers, .completeHeaders = false});
    EXPECT_EQ(platform.Headers(), (Calls{"Connection|keep-alive)"}));
  }
  {
    // No headers at all: one empty header, which the object may refuse.
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl, {.completeHeaders = false});
    EXPECT_EQ(platform.Headers(), (Calls{"|)"}));
  }
}

TEST(WebRequestSequenceTest, HeadersWithLineBreaksAreNotSent) {
  {
    RecordingPlatform platform;
    std::string headers = "X-A: 1\nX-Injected: 2";
    net::WebRequest(platform, kUrl, {.headers = &headers, .completeHeaders = false});
    EXPECT_TRUE(platform.Headers().empty());
  }
  {
    RecordingPlatform platform;
    std::string headers = "X-A: ok\r\nX-B: a\rInjected: b\r\nX\nC: 3";
    net::WebRequest(platform, kUrl, {.headers = &headers, .completeHeaders = false});
    EXPECT_EQ(platform.Headers(), (Calls{"X-A|ok)"}));
  }
  {
    RecordingPlatform platform;
    std::string cookies = "a=1\r\nInjected: 1";
    net::WebRequest(platform, kUrl, {.cookies = &cookies, .completeHeaders = false});
    EXPECT_FALSE(platform.Called("SetRequestHeader(Cookie"));
  }
}

TEST(WebRequestSequenceTest, ProxyAndCredentials) {
  {
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl, {.proxy = "127.0.0.1:8", .completeHeaders = false});
    EXPECT_EQ((*platform.log)[3], "SetProxy(2,127.0.0.1:8)");
    EXPECT_FALSE(platform.Called("SetCredentials"));
  }
  {
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl, {.proxyUser = "u", .proxyPassword = "p"});
    EXPECT_FALSE(platform.Called("SetProxy"));
    EXPECT_FALSE(platform.Called("SetCredentials"));
    EXPECT_FALSE(platform.Called("SetRequestHeader(Proxy-Authorization"));
  }
  {
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl,
                    {.proxy = "127.0.0.1:8", .proxyUser = "u", .completeHeaders = false});
    const Calls setup = platform.Setup();
    EXPECT_EQ(setup[1], "SetCredentials(u,,1)");
    EXPECT_EQ(setup[2], "SetRequestHeader(Proxy-Authorization|Basic dTo=)");
  }
  {
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl,
                    {.proxy = "127.0.0.1:8",
                     .proxyUser = "用户",
                     .proxyPassword = "p:w",
                     .credentialTarget = 0,
                     .completeHeaders = false});
    EXPECT_TRUE(platform.Called("SetCredentials(用户,p:w,0)"));
    EXPECT_FALSE(platform.Called("SetRequestHeader(Proxy-Authorization"));
  }
}

TEST(WebRequestSequenceTest, CookiesSent) {
  {
    RecordingPlatform platform;
    std::string cookies = "Cookie: a=1";
    net::WebRequest(platform, kUrl,
                    {.cookies = &cookies, .mergeCookies = false, .completeHeaders = false});
    EXPECT_EQ(cookies, " a=1");
    EXPECT_EQ(platform.Headers().front(), "Cookie| a=1)");
  }
  {
    // Only a leading "Cookie:" is the caller's header name; inside a value it is data.
    const std::pair<std::string, std::string> cases[] = {
        {"cookie:a=1", "a=1"},
        {"COOKIE: a=1; note=mycookie:x", " a=1; note=mycookie:x"},
        {"note=mycookie:x", "note=mycookie:x"},
        {" Cookie: a=1", " Cookie: a=1"},
    };
    for (const auto& [given, sent] : cases) {
      RecordingPlatform platform;
      std::string cookies = given;
      net::WebRequest(platform, kUrl,
                      {.cookies = &cookies, .mergeCookies = false, .completeHeaders = false});
      EXPECT_EQ(cookies, sent);
      EXPECT_EQ(platform.Headers().front(), "Cookie|" + sent + ")");
    }
  }
  {
    RecordingPlatform platform;
    std::string cookies;
    net::WebRequest(platform, kUrl, {.cookies = &cookies, .completeHeaders = false});
    EXPECT_EQ(platform.Headers().front(), "Cookie|)");
  }
  {
    RecordingPlatform platform;
    net::WebRequest(platform, kUrl, {.completeHeaders = false});
    EXPECT_FALSE(platform.Called("SetRequestHeader(Cookie"));
  }
}

TEST(WebRequestSequenceTest, BytesTakePrecedenceOverText) {
  RecordingPlatform platform;
  net::WebRequest(platform, kUrl, {.bodyText = "text", .bodyBytes = base::Bytes{'b', 0, 'y'}});
  EXPECT_EQ(platform.Setup().back(), std::string("SendBytes(b\0y)", 14));
  EXPECT_FALSE(platform.Called("Send("));
  RecordingPlatform empty;
  net::WebRequest(empty, kUrl, {.bodyText = "text", .bodyBytes = base::Bytes{}});
  EXPECT_EQ(empty.Setup().back(), "Send(text)");
}

TEST(WebRequestSequenceTest, ResponseOutputsAndCookieMerge) {
  RecordingPlatform platform;
  platform.responseHeaders =
      "Date: x\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nset-cookie: c=3\r\n\r\n";
  platform.status = 302.9;
  std::string cookies = "b=0; old=9";
  std::string returned = "stale";
  std::string responseHeaders;
  int status = -1;
  net::WebRequest(platform, kUrl,
                  {.cookies = &cookies,
                   .returnedCookies = &returned,
                   .responseHeaders = &responseHeaders,
                   .status = &status});
  EXPECT_EQ(returned, "a=1; b=2; c=3; old=9");
  EXPECT_EQ(cookies, returned);
  EXPECT_EQ(responseHeaders, platform.responseHeaders);
  EXPECT_EQ(status, 302);

  RecordingPlatform unmerged;
  unmerged.responseHeaders = "Set-Cookie: sid=xyz\r\n";
  cookies = "a=1";
  net::WebRequest(unmerged, kUrl,
                  {.cookies = &cookies, .returnedCookies = &returned, .mergeCookies = false});
  EXPECT_EQ(returned, "sid=xyz");
  EXPECT_EQ(cookies, "a=1");
}

TEST(WebRequestSequenceTest, CreationFailureWritesNothing) {
  RecordingPlatform platform;
  platform.creates = false;
  std::string headers = "kept";
  std::string responseHeaders = "kept";
  std::string cookies = "a=1";
  int status = 7;
  EXPECT_TRUE(net::WebRequest(platform, kUrl,
                              {.cookies = &cookies,
                               .headers = &headers,
                               .responseHeaders = &responseHeaders,
                               .status = &status})
                  .empty());
  EXPECT_EQ(*platform.log, (Calls{"CoInitialize", "Create", "CoUninitialize"}));
  EXPECT_EQ(headers, "kept");
  EXPECT_EQ(responseHeaders, "kept");
  EXPECT_EQ(cookies, "a=1");
  EXPECT_EQ(status, 7);
}

TEST(WebRequestSequenceTest, EmptyObjectReferenceFailsEveryCall) {
  RecordingPlatform platform;
  std::string responseHeaders = "old";
  int status = 7;
  const base::Bytes body =
      net::WebRequest(platform, kUrl,
                      {.responseHeaders = &responseHeaders,
                       .status = &status,
                       .requestObject = std::shared_ptr<net::RequestObject>()});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(responseHeaders, "");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(*platform.log, (Calls{"CoInitialize", "CoUninitialize"}));
}

TEST(WebRequestSequenceTest, CallersObjectIsUsedAndStaysAlive) {
  RecordingPlatform platform;
  auto object = std::make_shared<RecordingObject>(platform.log);
  net::WebRequest(platform, kUrl, {.requestObject = object});
  net::WebRequest(platform, kUrl, {.requestObject = object});
  EXPECT_FALSE(platform.Called("Create"));
  EXPECT_FALSE(platform.Called("Release"));
  EXPECT_EQ(object.use_count(), 1);
  EXPECT_EQ(std::count(platform.log->begin(), platform.log->end(), "Open(GET," + kUrl + ",false)"),
            2);
}

TEST(WebRequestSequenceTest, RefusedCallsDoNotStopTheSequence) {
  RecordingPlatform platform;
  platform.accepts = false;
  platform.status = std::nan("");
  int status = 7;
  net::WebRequest(platform, kUrl, {.status = &status, .proxy = "p:1", .proxyUser = "u"});
  EXPECT_EQ(platform.log->size(), 17u);
  EXPECT_EQ(platform.log->back(), "CoUninitialize");
  EXPECT_EQ(status, 0);
}

TEST(NormaliseHeaderNamesTest, Lines) {
  const std::pair<std::string, std::string> cases[] = {
      {"\r\ncontent-type: text/plain\r\nx-my-header:1",
       "Content-Type: text/plain\r\nX-My-Header:1"},
      {"user-AGENT: x", "User-AGENT: x"},
      {"no colon\r\n\r\na: b", "A: b"},
      {"x-: v", "X-: v"},
      {"a--b:1", "A--B:1"},
      {"-a:1", "-A:1"},
      {"a: b-c-d", "A: b-c-d"},
      {"", ""},
      {"nothing", ""},
      {"\x81"
       "a-b: v",
       "\x81"
       "a-B: v"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(net::NormaliseHeaderNames(in), out) << in;
  EXPECT_EQ(net::CapitaliseFirst(""), "");
  EXPECT_EQ(net::CapitaliseFirst("aB"), "AB");
  EXPECT_EQ(net::CapitaliseFirst("1a"), "1a");
}

TEST(Base64EncodeTest, Rfc4648Vectors) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"abc", "YWJj"},
      {"ab", "YWI="},
  };
  for (const auto& [in, out] : cases) {
    const base::Bytes bytes(in.begin(), in.end());
    EXPECT_EQ(net::Base64Encode(bytes), out) << in;
  }
  const base::Bytes zeroes{0, 0, 0, 0xFB, 0xFF};
  EXPECT_EQ(net::Base64Encode(zeroes), "AAAA+/8=");
}

TEST(CollectReturnedCookiesTest, HeaderBlocks) {
  const std::pair<std::string, std::string> cases[] = {
      {"Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2"},
      {"Date: x\r\nServer: y\r\n", ""},
      {"Set-Cookie: sid=xyz", "sid=xyz"},
      {"set-cookie: a=1\r\nSet-Cookie:b=2\r\nSET-COOKIE:\tc=3; Path=/", "a=1; b=2; c=3"},
      {"X-Set-Cookie: c=3\r\n Set-Cookie: d=4\r\nSet-Cookie : e=5\r\nNote: Set-Cookie: f=6", ""},
      {"Set-Cookie: v=Set-Cookie:x", "v=Set-Cookie:x"},
      {"Set-Cookie:  x=1 ; HttpOnly\r\n", "x=1"},
      {"Set-Cookie: \xA1\xA1y=2", "y=2"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(net::CollectReturnedCookies(in), out) << in;
}

}  // namespace
