// The request sequence, portable: every call on the request object goes through RequestObject.
#include "net/web_request.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "net/headers_cookies.h"

namespace net {

using base::Find;
using base::Left;
using base::Replace;
using base::Right;
using base::Split;
using base::TextToBytes;
using base::Trim;
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                       "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr int kPostMethod = 1;

// A reference with no object behind it: every call fails.
class MissingRequestObject final : public RequestObject {
 public:
  bool SetTimeouts(int, int, int, int) override { return false; }
  bool SetProxy(int, std::string_view) override { return false; }
  bool Open(std::string_view, std::string_view, bool) override { return false; }
  bool SetOption(int, int) override { return false; }
  bool SetCredentials(std::string_view, std::string_view, int) override { return false; }
  bool SetRequestHeader(std::string_view, std::string_view) override { return false; }
  bool Send(std::string_view) override { return false; }
  bool SendBytes(std::span<const std::uint8_t>) override { return false; }
  bool WaitForResponse(int) override { return true; }  // nothing is out
  bool Abort() override { return false; }
  Bytes ResponseBody() override { return {}; }
  std::string GetAllResponseHeaders() override { return {}; }
  double Status() override { return 0; }
};

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// A name or value holding CR or LF would let the caller's text add header lines of its own, so
// such a header is not sent at all.
void SetHeader(RequestObject& object, std::string_view name, std::string_view value) {
  if (HasLineBreak(name) || HasLineBreak(value)) return;
  object.SetRequestHeader(name, value);
}

int TruncatedStatus(double status) {
  if (!std::isfinite(status) || status <= -2147483648.0 || status >= 2147483648.0) return 0;
  return static_cast<int>(std::trunc(status));
}

}  // namespace

std::string_view VerbForMethod(int method) {
  if (method < 0 || method > 7) method = 0;
  return kVerbs[method];
}

void CompleteHeaders(std::string& headers, int method, std::string_view url) {
  struct StandardHeader {
    std::string_view name;
    std::string line;
  };
  std::vector<StandardHeader> table = {
      {"Accept", "Accept: */*"},
      {"Referer", "Referer: " + std::string(url)},
      {"Accept-Language", "Accept-Language: zh-cn"},
      {"User-Agent", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
  };
  if (method == kPostMethod) {
    table.push_back({"Content-Type", "Content-Type: application/x-www-form-urlencoded"});
  }
  const std::vector<std::string> lines = Split(headers, kLineBreak);
  const auto present = [&lines](std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [name](const std::string& line) {
      return Find(line, ":") != -1 && SameHeaderName(HeaderName(line), name);
    });
  };
  for (const StandardHeader& header : table) {
    if (!present(header.name)) {
      headers += kLineBreak;
      headers += header.line;
    }
  }
}

std::string CapitaliseFirst(std::string_view text) {
  if (text.empty()) return {};
  std::string result(text);
  if (result[0] >= 'a' && result[0] <= 'z') result[0] = static_cast<char>(result[0] - 'a' + 'A');
  return result;
}

std::string NormaliseHeaderNames(std::string_view headers) {
  std::string result;
  bool first = true;
  for (const std::string& piece : Split(headers, kLineBreak)) {
    const int colon = Find(piece, ":");
    if (colon == -1) continue;
    const std::string name = piece.substr(0, static_cast<std::size_t>(colon) - 1);
    std::string newName;
    if (Find(name, "-") != -1) {
      bool firstPart = true;
      for (const std::string& part : Split(name, "-")) {
        if (!firstPart) newName += '-';
        newName += CapitaliseFirst(part);
        firstPart = false;
      }
    } else {
      newName = CapitaliseFirst(name);
    }
    // The split drops a trailing empty part, so the rebuilt name may be shorter; the rest of the
    // line is taken from just after the rebuilt name, which keeps a trailing "-" as it was.
    if (!first) result += kLineBreak;
    result += newName;
    result += piece.substr(std::min(newName.size(), piece.size()));
    first = false;
  }
  return result;
}

std::string Base64Encode(std::span<const std::uint8_t> bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  encoded.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    const std::uint32_t group = (std::uint32_t{bytes[i]} << 16) |
                                (left > 1 ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                (left > 2 ? std::uint32_t{bytes[i + 2]} : 0);
    encoded += kAlphabet[(group >> 18) & 0x3F];
    encoded += kAlphabet[(group >> 12) & 0x3F];
    encoded += left > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=';
    encoded += left > 2 ? kAlphabet[group & 0x3F] : '=';
  }
  return encoded;
}

std::string CollectReturnedCookies(std::string_view responseHeaders) {
  std::string cookies;
  for (const std::string& line : Split(responseHeaders, kLineBreak)) {
    const std::optional<std::string_view> value = FieldValue(line, "Set-Cookie");
    if (!value) continue;
    // The cookie's name=value; its attributes follow the first semicolon.
    cookies += Trim(value->substr(0, value->find(';')));
    cookies += "; ";
  }
  if (Right(cookies, 2) == "; ") cookies.resize(cookies.size() - 2);
  return cookies;
}

namespace {

// The steps of one exchange, in the order WebRequest takes them.

// The caller's object, a stand-in that fails every call for a caller's empty reference, or a
// new one; null when none can be created.
std::shared_ptr<RequestObject> ObtainObject(RequestPlatform& platform,
                                            const RequestOptions& options) {
  if (!options.requestObject) return platform.Create();
  if (*options.requestObject == nullptr) return std::make_shared<MissingRequestObject>();
  return *options.requestObject;
}

// Timeouts, proxy, the verb and address, and the request options.
void OpenRequest(RequestObject& object, std::string_view verb, std::string_view url,
                 const RequestOptions& options) {
  const int timeout = options.timeoutSeconds.value_or(0);
  if (timeout != -1) {
    // Seconds beyond what milliseconds can hold in an int saturate instead of wrapping.
    const int ms = timeout < 1 ? kDefaultTimeoutMs : std::min(timeout, 2147483) * 1000;
    object.SetTimeouts(ms, ms, ms, ms);
  }
  const std::string proxy = options.proxy.value_or("");
  if (!proxy.empty()) object.SetProxy(kProxySettingNamed, proxy);
  object.Open(verb, url, options.answerWithinSeconds.has_value());
  if (options.noRedirect.value_or(false)) object.SetOption(kOptionEnableRedirects, 0);
  if (options.ignoredCertificateErrors) {
    object.SetOption(kOptionSslErrorIgnoreFlags, *options.ignoredCertificateErrors);
  }
}

// Credentials for a named proxy, and for the proxy itself also a Basic Proxy-Authorization.
void SetProxyCredentials(RequestObject& object, const RequestOptions& options) {
  const std::string proxyUser = options.proxyUser.value_or("");
  if (options.proxy.value_or("").empty() || proxyUser.empty()) return;
  const std::string proxyPassword = options.proxyPassword.value_or("");
  const int target = options.credentialTarget.value_or(1);
  object.SetCredentials(proxyUser, proxyPassword, target);
  if (target == 1) {
    const Bytes credentials = TextToBytes(proxyUser + ":" + proxyPassword);
    SetHeader(object, "Proxy-Authorization", "Basic " + Base64Encode(credentials));
  }
}

// The caller's cookies, without a "Cookie:" the caller may have put in front, as the Cookie
// header (also when empty).
void SendCookies(RequestObject& object, std::string& cookies) {
  constexpr std::string_view kPrefix = "Cookie:";
  if (SameHeaderName(Left(cookies, static_cast<int>(kPrefix.size())), kPrefix)) {
    cookies.erase(0, kPrefix.size());
  }
  SetHeader(object, "Cookie", cookies);
}

// Every header line, except a "Connection: keep-alive" among several; a text without a line
// break is one header.
void SendHeaderLines(RequestObject& object, std::string_view headers) {
  if (Find(headers, kLineBreak) == -1) {
    SetHeader(object, HeaderName(headers), HeaderValue(headers));
    return;
  }
  for (const std::string& line : Split(headers, kLineBreak)) {
    if (line.empty()) continue;
    const std::string name = HeaderName(line);
    const std::string value = HeaderValue(line);
    if (name == "Connection" && value == "keep-alive") continue;
    SetHeader(object, name, value);
  }
}

void SendBody(RequestObject& object, const RequestOptions& options) {
  if (options.bodyBytes && !options.bodyBytes->empty()) {
    object.SendBytes(*options.bodyBytes);
  } else {
    object.Send(options.bodyText.value_or(""));
  }
}

struct Response {
  Bytes body;
  std::string headers;
  int status = 0;
};

Response ReadResponse(RequestObject& object) {
  Response response;
  response.body = object.ResponseBody();
  response.headers = object.GetAllResponseHeaders();
  response.status = TruncatedStatus(object.Status());
  return response;
}

// The response headers, the status and the returned cookies (merged with the ones sent unless
// the caller said not to) into the caller's variables.
void HandBack(const Response& response, const RequestOptions& options) {
  if (options.responseHeaders != nullptr) *options.responseHeaders = response.headers;
  if (options.status != nullptr) *options.status = response.status;
  std::string returnedCookies = CollectReturnedCookies(response.headers);
  if (options.mergeCookies.value_or(true) && options.cookies != nullptr) {
    returnedCookies = MergeCookies(*options.cookies, returnedCookies);
  }
  if (options.returnedCookies != nullptr) *options.returnedCookies = returnedCookies;
}

}  // namespace

Bytes WebRequest(RequestPlatform& platform, std::string_view url, const RequestOptions& options) {
  platform.Initialize();
  const int method = options.method.value_or(0);
  std::shared_ptr<RequestObject> object = ObtainObject(platform, options);
  if (object == nullptr) {
    platform.Uninitialize();
    return {};
  }
  OpenRequest(*object, VerbForMethod(method), url, options);

  std::string localHeaders;
  std::string& headers = options.headers != nullptr ? *options.headers : localHeaders;
  if (options.completeHeaders.value_or(true)) CompleteHeaders(headers, method, url);
  if (options.normaliseHeaderNames.value_or(true)) headers = NormaliseHeaderNames(headers);

  SetProxyCredentials(*object, options);
  if (options.cookies != nullptr) SendCookies(*object, *options.cookies);
  SendHeaderLines(*object, headers);
  SendBody(*object, options);

  bool answered = true;
  if (options.answerWithinSeconds && !object->WaitForResponse(*options.answerWithinSeconds)) {
    object->Abort();
    answered = false;
  }
  const Response response = answered ? ReadResponse(*object) : Response{};
  HandBack(response, options);
  object.reset();
  platform.Uninitialize();
  return response.body;
}

}  // namespace net
