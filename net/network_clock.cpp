// Network clock: HTTP dates read strictly, the corrections and the hour shift, the label text, and
// the tick decisions. Portable; the thread and the platform parser are in network_clock_win.
#include "net/network_clock.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "net/headers_cookies.h"

#ifndef COMPOSER_CLOCK_URL
#error "COMPOSER_CLOCK_URL must name the clock's default address"
#endif

namespace net {

using base::Split;
namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu",
                                                       "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 7> kLongDayNames = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (Howard Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// A left-to-right reader over one date text; every step either matches exactly or fails.
class DateReader {
 public:
  explicit DateReader(std::string_view text) : text_(text) {}

  bool Literal(std::string_view literal) {
    if (text_.substr(position_, literal.size()) != literal) return false;
    position_ += literal.size();
    return true;
  }

  bool Digits(std::size_t count, int& value) {
    if (position_ + count > text_.size()) return false;
    value = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const char c = text_[position_ + k];
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    position_ += count;
    return true;
  }

  // One of names, matched whole and case-sensitively; gives its index.
  template <std::size_t N>
  bool Name(const std::array<std::string_view, N>& names, int& index) {
    for (std::size_t k = 0; k < N; ++k) {
      const std::string_view name = names[k];
      const std::size_t end = position_ + name.size();
      // A longer run of letters is not this name ("Mond" is not "Mon").
      const bool wholeWord = end >= text_.size() || !IsLetter(text_[end]);
      if (text_.substr(position_, name.size()) == name && wholeWord) {
        position_ = end;
        index = static_cast<int>(k);
        return true;
      }
    }
    return false;
  }

  bool TimeOfDay(DateTime& time) {
    return Digits(2, time.hour) && Literal(":") && Digits(2, time.minute) && Literal(":") &&
           Digits(2, time.second);
  }

  bool AtEnd() const { return position_ == text_.size(); }

 private:
  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

  std::string_view text_;
  std::size_t position_ = 0;
};

bool FieldsInRange(const DateTime& time) {
  return time.year >= 100 && time.year <= 9999 && time.month >= 1 && time.month <= 12 &&
         time.day >= 1 && time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 &&
         time.hour <= 23 && time.minute >= 0 && time.minute <= 59 && time.second >= 0 &&
         (time.second <= 59 || (time.second == 60 && time.hour == 23 && time.minute == 59));
}

// "Sun, 06 Nov 1994 08:49:37 GMT"
bool ReadImfFixdate(std::string_view text, DateTime& time) {
  DateReader reader(text);
  int weekday = 0;
  int month = 0;
  if (!(reader.Name(kDayNames, weekday) && reader.Literal(", ") && reader.Digits(2, time.day) &&
        reader.Literal(" ") && reader.Name(kMonthNames, month) && reader.Literal(" ") &&
        reader.Digits(4, time.year) && reader.Literal(" ") && reader.TimeOfDay(time) &&
        reader.Literal(" GMT") && reader.AtEnd())) {
    return false;
  }
  time.month = month + 1;
  return true;
}

// "Sunday, 06-Nov-94 08:49:37 GMT"
bool ReadRfc850(std::string_view text, int referenceYear, DateTime& time) {
  DateReader reader(text);
  int weekday = 0;
  int month = 0;
  int shortYear = 0;
  if (!(reader.Name(kLongDayNames, weekday) && reader.Literal(", ") && reader.Digits(2, time.day) &&
        reader.Literal("-") && reader.Name(kMonthNames, month) && reader.Literal("-") &&
        reader.Digits(2, shortYear) && reader.Literal(" ") && reader.TimeOfDay(time) &&
        reader.Literal(" GMT") && reader.AtEnd())) {
    return false;
  }
  time.month = month + 1;
  // A two-digit year that would lie more than 50 years ahead belongs to the century before.
  time.year = referenceYear - referenceYear % 100 + shortYear;
  if (time.year > referenceYear + 50) time.year -= 100;
  return true;
}

// "Sun Nov  6 08:49:37 1994"
bool ReadAsctime(std::string_view text, DateTime& time) {
  DateReader reader(text);
  int weekday = 0;
  int month = 0;
  if (!(reader.Name(kDayNames, weekday) && reader.Literal(" ") && reader.Name(kMonthNames, month) &&
        reader.Literal(" "))) {
    return false;
  }
  // The day is two characters: a space and a digit, or two digits.
  const bool dayRead =
      reader.Literal(" ") ? reader.Digits(1, time.day) : reader.Digits(2, time.day);
  if (!dayRead) return false;
  if (!(reader.Literal(" ") && reader.TimeOfDay(time) && reader.Literal(" ") &&
        reader.Digits(4, time.year) && reader.AtEnd())) {
    return false;
  }
  time.month = month + 1;
  return true;
}

std::string_view TrimOptionalWhitespace(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

std::string_view DefaultClockUrl() {
  return COMPOSER_CLOCK_URL;
}

std::string ClockUrl(std::optional<std::string_view> environmentValue) {
  if (environmentValue && !environmentValue->empty()) return std::string(*environmentValue);
  return std::string(DefaultClockUrl());
}

std::optional<HttpDate> ReadHttpDate(std::string_view text, int referenceYear) {
  text = TrimOptionalWhitespace(text);
  HttpDate date;
  if (ReadImfFixdate(text, date.time)) {
    date.form = HttpDateForm::kImfFixdate;
  } else if (DateTime time; ReadRfc850(text, referenceYear, time)) {
    date = {time, HttpDateForm::kRfc850};
  } else if (DateTime asc; ReadAsctime(text, asc)) {
    date = {asc, HttpDateForm::kAsctime};
  } else {
    return std::nullopt;
  }
  if (!FieldsInRange(date.time)) return std::nullopt;
  return date;
}

std::optional<DateTime> AddHours(const DateTime& time, int hours) {
  constexpr std::int64_t kDay = 86400;
  // A leap second is shifted as the second before it and shown as itself.
  const bool leapSecond = time.second == 60;
  const std::int64_t seconds =
      DaysFromCivil(time.year, time.month, time.day) * kDay + time.hour * 3600 + time.minute * 60 +
      (leapSecond ? 59 : time.second) + static_cast<std::int64_t>(hours) * 3600;
  const std::int64_t first = DaysFromCivil(100, 1, 1) * kDay;
  const std::int64_t last = DaysFromCivil(9999, 12, 31) * kDay + kDay - 1;
  if (seconds < first || seconds > last) return std::nullopt;
  const std::int64_t days = (seconds - first) / kDay + first / kDay;
  const std::int64_t rest = (seconds - first) % kDay;
  DateTime result;
  CivilFromDays(days, result.year, result.month, result.day);
  result.hour = static_cast<int>(rest / 3600);
  result.minute = static_cast<int>(rest / 60 % 60);
  result.second = leapSecond ? 60 : static_cast<int>(rest % 60);
  return result;
}

std::string ClockText(const DateTime& time) {
  std::string text = std::to_string(time.year) + "年" + std::to_string(time.month) + "月" +
                     std::to_string(time.day) + "日";
  if (time.second != 0) {
    text += std::to_string(time.hour) + "时" + std::to_string(time.minute) + "分" +
            std::to_string(time.second) + "秒";
  } else if (time.minute != 0) {
    text += std::to_string(time.hour) + "时" + std::to_string(time.minute) + "分";
  } else if (time.hour != 0) {
    text += std::to_string(time.hour) + "时";
  }
  return text;
}

std::string DateHeaderText(std::string_view responseHeaders) {
  for (const std::string& line : Split(responseHeaders, "\r\n")) {
    if (const std::optional<std::string_view> value = FieldValue(line, "Date")) {
      return std::string(*value);
    }
  }
  return {};
}

std::optional<DateTime> TimeFromResponseHeaders(std::string_view responseHeaders,
                                                const ClockSource& source) {
  const std::string dateText = DateHeaderText(responseHeaders);
  const std::optional<HttpDate> date = ReadHttpDate(dateText, source.referenceYear);
  if (!date) return std::nullopt;
  if (date->form == HttpDateForm::kImfFixdate && source.platformParser != nullptr) {
    const std::optional<DateTime> platform =
        source.platformParser(TrimOptionalWhitespace(dateText));
    if (!platform || *platform != date->time) return std::nullopt;
  }
  return AddHours(date->time, kClockOffsetHours);
}

std::optional<DateTime> NetworkTime(const ClockSource& source, std::optional<std::string_view> url,
                                    std::optional<int> timeoutSeconds) {
  if (source.requests == nullptr) return std::nullopt;
  std::string responseHeaders;
  RequestOptions options;
  options.method = 2;  // HEAD
  options.responseHeaders = &responseHeaders;
  options.timeoutSeconds = timeoutSeconds;
  // A server that accepts and then stays silent would hold the exchange for as long as the
  // platform lets it (under Wine, whatever the timeouts say, for good).
  options.answerWithinSeconds = kClockPatienceSeconds;
  WebRequest(*source.requests, url.value_or(DefaultClockUrl()), options);
  return TimeFromResponseHeaders(responseHeaders, source);
}

Milliseconds RequestPatience(std::optional<int> timeoutSeconds) {
  const int seconds = timeoutSeconds.value_or(0);
  const Milliseconds phase = seconds < 1 ? kDefaultTimeoutMs : Milliseconds{seconds} * 1000;
  return 4 * phase;
}

Milliseconds ClockPatience(std::optional<int> timeoutSeconds) {
  return std::min<Milliseconds>(RequestPatience(timeoutSeconds),
                                Milliseconds{kClockPatienceSeconds} * 1000);
}

ClockTicker::TickOutcome ClockTicker::Tick(Milliseconds now) {
  TickOutcome outcome;
  if (!sentAt_) {
    sentAt_ = now;
    overdueShown_ = false;
    outcome.startRequest = true;
  } else if (!overdueShown_ && now - *sentAt_ > patience_) {
    // The request may never come back; say so instead of showing a stale time.
    overdueShown_ = true;
    outcome.label = std::string(kClockFailureText);
  }
  return outcome;
}

std::string ClockTicker::Answer(const std::optional<DateTime>& time) {
  sentAt_.reset();
  return time ? ClockText(*time) : std::string(kClockFailureText);
}

namespace {
ClockTick g_clockTick = nullptr;
}  // namespace

void InstallNetworkClock(ClockTick tick) {
  g_clockTick = tick;
}

void ShowNetworkTime(LabelWriter writeLabel) {
  if (g_clockTick != nullptr) g_clockTick(writeLabel);
}

}  // namespace net
