// The network clock: the time in a web server's Date response header, moved to UTC+8 and written
// as Chinese date text into the clock label once a second. GBK texts.
//
// Only a Date text that a strict check recognises as an HTTP date is shown; anything else shows
// kClockFailureText, never a time made up from nothing or taken from this computer's own clock.
// The request runs off the user-interface thread (network_clock_win.h); ClockTicker decides, on
// that thread, when to ask and what the label says.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/web_request.h"

namespace net {

// A calendar date and time of day with whole seconds, years 100 to 9999.
struct DateTime {
  int year = 100;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// What the label shows when there is no network time to show.
inline constexpr std::string_view kClockFailureText = "网络时间获取失败";
// Hours added to the server's time (HTTP dates are in GMT), whatever this machine's time zone.
inline constexpr int kClockOffsetHours = 8;
// A request that has not answered in this time is given up: the label says there is no time
// rather than staying blank or stale, and the next tick asks again. A time that late would be
// wrong by as much anyway.
inline constexpr int kClockPatienceSeconds = 5;

// The address asked when NetworkTime gets none; fixed at build time.
std::string_view DefaultClockUrl();

// The environment variable that, when set and not empty, replaces the built-in address for a run
// (tests and local runs point the clock at a server of their own on loopback).
inline constexpr std::string_view kClockUrlVariable = "COMPOSER_CLOCK_URL";
// The address the clock asks: the variable's value when it is not empty, else DefaultClockUrl().
std::string ClockUrl(std::optional<std::string_view> environmentValue);

enum class HttpDateForm { kImfFixdate, kRfc850, kAsctime };
struct HttpDate {
  DateTime time;  // GMT
  HttpDateForm form = HttpDateForm::kImfFixdate;
};

// Reads an HTTP date exactly: "Sun, 06 Nov 1994 08:49:37 GMT", the obsolete
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994"; spaces and tabs around it are
// allowed, nothing else is. Names are case-sensitive, the day must exist in its month, the year
// must lie in 100..9999, and the second may be 60 only at 23:59 (where UTC puts leap seconds). A
// two-digit year is put in the century that makes it at most 50 years later than referenceYear.
[[nodiscard]] std::optional<HttpDate> ReadHttpDate(std::string_view text, int referenceYear);

// Adds hours across day, month and year ends; nothing when the result leaves years 100..9999.
// A leap second stays second 60 of its shifted minute.
[[nodiscard]] std::optional<DateTime> AddHours(const DateTime& time, int hours);

// "%d年%d月%d日", then the shortest time part: "%d时%d分%d秒" when the second is not 0, else
// "%d时%d分" when the minute is not 0, else "%d时" when the hour is not 0, else nothing.
std::string ClockText(const DateTime& time);

// The value of the first Date header line in a response header block (the name in any letter
// case, without the spaces after the colon), or the empty text.
std::string DateHeaderText(std::string_view responseHeaders);

// What the clock asks with and how it reads the answer.
struct ClockSource {
  RequestPlatform* requests = nullptr;
  // The platform's HTTP date parser. When there is one, an IMF-fixdate text is shown only when
  // the platform reads the same six fields from it; null when there is none.
  std::optional<DateTime> (*platformParser)(std::string_view text) = nullptr;
  // The current year, to place two-digit years.
  int referenceYear = 2026;
};

// The network time (server time plus kClockOffsetHours) from a response header block, or nothing
// when it has no Date header, its Date is not a valid HTTP date, or the shifted time lies beyond
// what the label shows (years 100..9999).
[[nodiscard]] std::optional<DateTime> TimeFromResponseHeaders(std::string_view responseHeaders,
                                                              const ClockSource& source);

// Sends HEAD to url (absent: DefaultClockUrl()) and reads the time from the answer's Date header.
// timeoutSeconds as WebRequest takes it (absent: 15 s for each phase); the whole exchange is given
// up after kClockPatienceSeconds all the same. Nothing when the request failed, was given up or
// the answer holds no valid time.
[[nodiscard]] std::optional<DateTime> NetworkTime(const ClockSource& source,
                                                  std::optional<std::string_view> url = {},
                                                  std::optional<int> timeoutSeconds = {});

// Milliseconds on a monotonic clock.
using Milliseconds = std::int64_t;

// The longest a request may be out while its timeouts still allow an answer: the four phases
// (resolve, connect, send, receive) one after the other.
Milliseconds RequestPatience(std::optional<int> timeoutSeconds);
// How long the label waits for the answer of a request with these timeouts: what they allow,
// but never more than kClockPatienceSeconds.
Milliseconds ClockPatience(std::optional<int> timeoutSeconds);

// The clock's decisions, on the user-interface thread: at most one request in flight, and the
// label text for each answer and for a request that is out longer than its timeouts allow.
class ClockTicker {
 public:
  explicit ClockTicker(Milliseconds patience) : patience_(patience) {}

  struct TickOutcome {
    bool startRequest = false;
    std::optional<std::string> label;  // a text to write now
  };
  // A tick of the timer at the monotonic time now.
  TickOutcome Tick(Milliseconds now);
  // The answer of the request in flight arrived; gives the label text.
  std::string Answer(const std::optional<DateTime>& time);

  [[nodiscard]] bool InFlight() const { return sentAt_.has_value(); }

 private:
  Milliseconds patience_;
  std::optional<Milliseconds> sentAt_;
  bool overdueShown_ = false;
};

// The tick handler of the clock timer: hands the tick to the installed clock, which starts a
// request when none is out and writes the label through writeLabel, on the calling
// (user-interface) thread, when an answer arrives or a request has been out too long. It never
// waits for the network. With no clock installed a tick shows nothing.
using LabelWriter = void (*)(std::string_view text);
using ClockTick = void (*)(LabelWriter writeLabel);
void InstallNetworkClock(ClockTick tick);
void ShowNetworkTime(LabelWriter writeLabel);

}  // namespace net
