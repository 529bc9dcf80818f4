// One synchronous HTTP exchange through the platform's HTTP request object, with the chores
// around it: the verb, standard request headers, header-name normalisation, cookies sent and
// collected, proxy credentials, and the response headers and status handed back. Texts are GBK.
//
// The sequence of calls on the request object lives here, portable; the object itself sits
// behind RequestObject, so the Windows build drives the real COM object and tests drive a
// recording stand-in. Every failure is silent: a call the object refuses counts as giving an
// empty result and the sequence goes on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/text_ops.h"

namespace net {

using base::Bytes;

// The members of the HTTP request object that a request uses. Setters report whether the
// object accepted the call; readers give an empty value when it refused.
class RequestObject {
 public:
  virtual ~RequestObject() = default;
  virtual bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) = 0;
  virtual bool SetProxy(int setting, std::string_view server) = 0;
  virtual bool Open(std::string_view verb, std::string_view url, bool async) = 0;
  virtual bool SetOption(int option, int value) = 0;
  virtual bool SetCredentials(std::string_view user, std::string_view password, int flags) = 0;
  virtual bool SetRequestHeader(std::string_view name, std::string_view value) = 0;
  virtual bool Send(std::string_view body) = 0;
  virtual bool SendBytes(std::span<const std::uint8_t> body) = 0;
  // For an exchange opened asynchronously: true once the answer is in (or the exchange has
  // failed), false when it is still out after timeoutSeconds. Abort gives an exchange up.
  virtual bool WaitForResponse(int timeoutSeconds) = 0;
  virtual bool Abort() = 0;
  virtual Bytes ResponseBody() = 0;
  virtual std::string GetAllResponseHeaders() = 0;
  virtual double Status() = 0;
};

// Where request objects come from, and the per-thread set-up around them (COM on Windows).
class RequestPlatform {
 public:
  virtual ~RequestPlatform() = default;
  virtual void Initialize() = 0;
  virtual void Uninitialize() = 0;
  // A new request object, or null when none can be created.
  virtual std::shared_ptr<RequestObject> Create() = 0;
};

// The optional arguments of WebRequest. An empty optional or a null pointer is an absent
// argument. The pointers are the caller's variables: cookies and headers are read and written,
// returnedCookies, responseHeaders and status only written.
struct RequestOptions {
  std::optional<int> method;  // index into the verb table; outside 0..7 means GET
  std::optional<std::string> bodyText;
  std::string* cookies = nullptr;
  std::string* returnedCookies = nullptr;
  std::string* headers = nullptr;
  std::string* responseHeaders = nullptr;
  int* status = nullptr;
  std::optional<bool> noRedirect;
  std::optional<Bytes> bodyBytes;     // sent instead of bodyText when not empty
  std::optional<std::string> proxy;   // "host:port"
  std::optional<int> timeoutSeconds;  // below 1: 15 s per phase; -1: the object's own timeouts
  // The whole exchange must be answered within this many seconds, whatever the timeouts of its
  // phases: the object is opened asynchronously, waited for, and aborted when late. A late
  // exchange gives what an unreachable server gives. Absent: the object waits for the answer.
  std::optional<int> answerWithinSeconds;
  std::optional<std::string> proxyUser;
  std::optional<std::string> proxyPassword;
  std::optional<int> credentialTarget;  // 0 server, 1 proxy (the default)
  // An existing request object; a present null is an object reference with nothing behind it.
  std::optional<std::shared_ptr<RequestObject>> requestObject;
  std::optional<bool> mergeCookies;          // default true
  std::optional<bool> completeHeaders;       // default true
  std::optional<bool> normaliseHeaderNames;  // default true
  // Certificate faults to accept (the request object's flags, for example
  // kIgnoredCertificateErrors). Absent: the object's own checks stay, and a faulty certificate
  // fails the exchange.
  std::optional<int> ignoredCertificateErrors;
};

// Performs the exchange and returns the response body (empty when there was none or the exchange
// failed). When no request object can be created nothing is written to the caller's variables.
Bytes WebRequest(RequestPlatform& platform, std::string_view url,
                 const RequestOptions& options = {});

inline constexpr int kDefaultTimeoutMs = 15000;
inline constexpr int kProxySettingNamed = 2;
inline constexpr int kOptionEnableRedirects = 6;
inline constexpr int kOptionSslErrorIgnoreFlags = 4;
// Unknown certification authority, wrong usage, invalid common name, invalid date.
inline constexpr int kIgnoredCertificateErrors = 0x0100 | 0x0200 | 0x1000 | 0x2000;

// The verb of a method index; an index outside 0..7 gives "GET".
std::string_view VerbForMethod(int method);

// Appends CR LF and each standard header line that headers lacks: Accept, Referer (the url),
// Accept-Language, User-Agent, and for POST Content-Type. A header is there when one of the lines
// carries its name, in any letter case; "X-Accept" is not "Accept".
void CompleteHeaders(std::string& headers, int method, std::string_view url);

// Each header line's name with its first letter and every letter after a "-" upper-cased; lines
// without a colon are dropped; the lines joined with CR LF.
std::string NormaliseHeaderNames(std::string_view headers);
std::string CapitaliseFirst(std::string_view text);

// Standard Base64 with padding and no line breaks.
std::string Base64Encode(std::span<const std::uint8_t> bytes);

// The first name=value of every Set-Cookie line of a response header block (the name in any
// letter case, spaces or none after the colon), joined with "; ".
std::string CollectReturnedCookies(std::string_view responseHeaders);

}  // namespace net
