// The network clock's portable parts: strict HTTP dates, the hour shift, the label text, the
// address and the tick decisions.
#include "net/network_clock.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using net::DateTime;
using net::HttpDateForm;

constexpr int kThisYear = 2026;

TEST(ReadHttpDateTest, TheThreeForms) {
  struct Case {
    std::string text;
    DateTime time;
    HttpDateForm form;
  };
  const Case cases[] = {
      {"Tue, 08 Dec 2026 04:31:36 GMT", {2026, 12, 8, 4, 31, 36}, HttpDateForm::kImfFixdate},
      {" \tSun, 06 Nov 1994 08:49:37 GMT  ", {1994, 11, 6, 8, 49, 37}, HttpDateForm::kImfFixdate},
      {"Sunday, 06-Nov-94 08:49:37 GMT", {1994, 11, 6, 8, 49, 37}, HttpDateForm::kRfc850},
      {"Tuesday, 08-Dec-26 04:31:36 GMT", {2026, 12, 8, 4, 31, 36}, HttpDateForm::kRfc850},
      {"Sun Nov  6 08:49:37 1994", {1994, 11, 6, 8, 49, 37}, HttpDateForm::kAsctime},
      {"Tue Dec 08 04:31:36 2026", {2026, 12, 8, 4, 31, 36}, HttpDateForm::kAsctime},
      {"Thu, 29 Feb 2024 23:59:60 GMT", {2024, 2, 29, 23, 59, 60}, HttpDateForm::kImfFixdate},
      {"Fri, 31 Dec 9999 23:59:59 GMT", {9999, 12, 31, 23, 59, 59}, HttpDateForm::kImfFixdate},
  };
  for (const Case& c : cases) {
    const auto date = net::ReadHttpDate(c.text, kThisYear);
    ASSERT_TRUE(date) << c.text;
    EXPECT_EQ(date->time, c.time) << c.text;
    EXPECT_EQ(date->form, c.form) << c.text;
  }
}

TEST(ReadHttpDateTest, TwoDigitYearsAreAtMostFiftyYearsAhead) {
  const std::pair<std::string, int> cases[] = {
      {"76", 2076}, {"77", 1977}, {"00", 2000}, {"99", 1999}, {"26", 2026}};
  for (const auto& [yy, year] : cases) {
    const auto date = net::ReadHttpDate("Friday, 01-Jan-" + yy + " 00:00:00 GMT", kThisYear);
    ASSERT_TRUE(date) << yy;
    EXPECT_EQ(date->time.year, year);
  }
}

TEST(ReadHttpDateTest, RejectsAnythingElse) {
  const std::string rejected[] = {
      "",
      "   ",
      "garbage",
      "Tue, 08 Dec 2026 04:31:36",      // no zone
      "Tue, 08 Dec 2026 04:31:36 UTC",  // not GMT
      "Tue, 08 Dec 2026 04:31:36 +0000",
      "Tue, 08 Dec 2026 12:31:36 +0800",
      "Tue, 08 Dec 2026 04:31:36 gmt",
      "tue, 08 Dec 2026 04:31:36 GMT",
      "Tue, 08 dec 2026 04:31:36 GMT",
      "Tue, 8 Dec 2026 04:31:36 GMT",
      "Tue, 08 Dec 26 04:31:36 GMT",
      "Tue,08 Dec 2026 04:31:36 GMT",
      "Tue, 08 Dec 2026 4:31:36 GMT",
      "Tue, 08 Dec 2026 04:31:36 GMT x",
      "Tues, 08 Dec 2026 04:31:36 GMT",
      "Tue, 32 Dec 2026 04:31:36 GMT",  // out of range
      "Tue, 00 Dec 2026 04:31:36 GMT",
      "Sun, 29 Feb 2026 04:31:36 GMT",
      "Tue, 31 Apr 2026 04:31:36 GMT",
      "Tue, 08 Foo 2026 04:31:36 GMT",
      "Tue, 08 Dec 2026 24:00:00 GMT",
      "Tue, 08 Dec 2026 04:60:00 GMT",
      "Tue, 08 Dec 2026 04:31:61 GMT",
      "Tue, 08 Dec 2026 04:31:60 GMT",  // UTC has leap seconds only at 23:59:60
      "Tue, 08 Dec 2026 23:58:60 GMT",
      "Tue, 08 Dec 0099 04:31:36 GMT",
      "Tue, 08 Dec 0000 04:31:36 GMT",
      "Tue, 08 Dec -026 04:31:36 GMT",
      "Tue, 08 Dec 2026 04:31:36 GMT\r\n",
      "Tuesday, 08-Dec-2026 04:31:36 GMT",
      "Tue, 08-Dec-26 04:31:36 GMT",
      "Tuesday, 08-Dec-26 04:31:36 UTC",
      "Tue Dec  8 04:31:36 2026 GMT",
      "Tue Dec 8 04:31:36 2026",
      "Tue Dec   8 04:31:36 2026",
      "Tue Dec  8 04:31:36 26",
  };
  for (const std::string& text : rejected) {
    EXPECT_FALSE(net::ReadHttpDate(text, kThisYear)) << "'" << text << "'";
  }
}

TEST(AddHoursTest, RollsOverAndNeverLeavesTheRange) {
  const std::pair<DateTime, std::optional<DateTime>> cases[] = {
      {{2026, 12, 31, 20, 0, 0}, DateTime{2027, 1, 1, 4, 0, 0}},
      {{2028, 2, 28, 20, 0, 1}, DateTime{2028, 2, 29, 4, 0, 1}},
      {{2026, 2, 28, 20, 0, 1}, DateTime{2026, 3, 1, 4, 0, 1}},
      {{2025, 12, 31, 23, 59, 60}, DateTime{2026, 1, 1, 7, 59, 60}},  // a leap second stays 60
      {{9999, 12, 31, 15, 59, 59}, DateTime{9999, 12, 31, 23, 59, 59}},
      {{9999, 12, 31, 16, 0, 0}, std::nullopt},  // the year 10000 is not shown as 9999
      {{9999, 12, 31, 23, 59, 59}, std::nullopt},
      {{9999, 12, 31, 23, 59, 60}, std::nullopt},
  };
  for (const auto& [time, shifted] : cases) {
    EXPECT_EQ(net::AddHours(time, 8), shifted) << time.year << "-" << time.hour;
  }
  EXPECT_EQ(net::AddHours({100, 1, 1, 8, 0, 0}, -8), (DateTime{100, 1, 1, 0, 0, 0}));
  EXPECT_EQ(net::AddHours({100, 1, 1, 3, 0, 0}, -8), std::nullopt);
}

TEST(ClockTextTest, ShortestTimePart) {
  EXPECT_EQ(net::ClockText({2026, 12, 8, 12, 31, 36}), "2026年12月8日12时31分36秒");
  EXPECT_EQ(net::ClockText({2026, 12, 8, 12, 5, 0}), "2026年12月8日12时5分");
  EXPECT_EQ(net::ClockText({2026, 12, 8, 0, 0, 7}), "2026年12月8日0时0分7秒");
  EXPECT_EQ(net::ClockText({2027, 1, 1, 4, 0, 0}), "2027年1月1日4时");
  EXPECT_EQ(net::ClockText({2026, 12, 9, 0, 0, 0}), "2026年12月9日");
}

// Agrees with whatever it is given, or disagrees with everything.
std::optional<DateTime> Agreeing(std::string_view text) {
  auto date = net::ReadHttpDate(text, kThisYear);
  return date ? std::optional(date->time) : std::nullopt;
}
std::optional<DateTime> Disagreeing(std::string_view) {
  return DateTime{1601, 1, 1};
}

TEST(TimeFromResponseHeadersTest, LabelTexts) {
  const net::ClockSource source{.platformParser = &Agreeing, .referenceYear = kThisYear};
  const std::pair<std::string, std::string> cases[] = {
      {"Date: Tue, 08 Dec 2026 04:31:36 GMT\r\n", "2026年12月8日12时31分36秒"},
      {"Server: x\r\nDate: Thu, 31 Dec 2026 20:00:00 GMT\r\n\r\n", "2027年1月1日4时"},
      {"Date: Tue, 08 Dec 2026 16:00:00 GMT", "2026年12月9日"},
      {"Date:Tuesday, 08-Dec-26 04:05:00 GMT\r\n", "2026年12月8日12时5分"},
      {"Date: Tue Dec  8 04:31:36 2026\r\n", "2026年12月8日12时31分36秒"},
      {"Date: Wed, 31 Dec 2025 23:59:60 GMT\r\n", "2026年1月1日7时59分60秒"},
      {"date: Tue, 08 Dec 2026 04:31:36 GMT\r\n", "2026年12月8日12时31分36秒"},
      {"DATE:\t Tue, 08 Dec 2026 04:31:36 GMT\r\n", "2026年12月8日12时31分36秒"},
      {"X-Date: Mon, 07 Dec 2026 00:00:00 GMT\r\nDate: Tue, 08 Dec 2026 16:00:00 GMT\r\n",
       "2026年12月9日"},
  };
  for (const auto& [headers, text] : cases) {
    const auto time = net::TimeFromResponseHeaders(headers, source);
    ASSERT_TRUE(time) << headers;
    EXPECT_EQ(net::ClockText(*time), text);
  }
}

TEST(TimeFromResponseHeadersTest, NoTimeWithoutAValidDate) {
  const net::ClockSource source{.referenceYear = kThisYear};
  const std::string cases[] = {
      "",
      "Server: x\r\n\r\n",
      "X-Date: Tue, 08 Dec 2026 04:31:36 GMT\r\n",
      " Date: Tue, 08 Dec 2026 04:31:36 GMT\r\n",
      "Date : Tue, 08 Dec 2026 04:31:36 GMT\r\n",
      "Date: Tue, 08 Dec 2026 04:31:60 GMT\r\n",  // a leap second where none can be
      "Date: Fri, 31 Dec 9999 23:59:59 GMT\r\n",  // UTC+8 is in the year 10000
      "Date: \r\n",
      "Date: garbage\r\n",
      "Date: Tue, 08 Dec 2026 04:31:36 CET\r\n",
  };
  for (const std::string& headers : cases) {
    EXPECT_FALSE(net::TimeFromResponseHeaders(headers, source)) << headers;
  }
}

TEST(TimeFromResponseHeadersTest, PlatformParserMustAgreeOnFixdates) {
  const net::ClockSource source{.platformParser = &Disagreeing, .referenceYear = kThisYear};
  EXPECT_FALSE(net::TimeFromResponseHeaders("Date: Tue, 08 Dec 2026 04:31:36 GMT\r\n", source));
  // The obsolete forms are read without it.
  EXPECT_TRUE(net::TimeFromResponseHeaders("Date: Tue Dec  8 04:31:36 2026\r\n", source));
}

TEST(ClockTickerTest, OneRequestInFlightAndOverdueFailure) {
  net::ClockTicker ticker(4000);
  auto outcome = ticker.Tick(1000);
  EXPECT_TRUE(outcome.startRequest);
  EXPECT_FALSE(outcome.label);
  for (net::Milliseconds now : {2000, 3000, 5000}) {
    outcome = ticker.Tick(now);
    EXPECT_FALSE(outcome.startRequest);
    EXPECT_FALSE(outcome.label);
  }
  outcome = ticker.Tick(5001);
  EXPECT_FALSE(outcome.startRequest);
  EXPECT_EQ(outcome.label, "网络时间获取失败");
  EXPECT_FALSE(ticker.Tick(6001).label);  // said once
  // A late answer is shown, and the next tick asks again.
  EXPECT_EQ(ticker.Answer(DateTime{2026, 12, 9}), "2026年12月9日");
  EXPECT_TRUE(ticker.Tick(7001).startRequest);
  EXPECT_EQ(ticker.Answer(std::nullopt), "网络时间获取失败");
  EXPECT_TRUE(ticker.Tick(8001).startRequest);
  EXPECT_FALSE(ticker.Tick(12001).label);  // a new request gets its own patience
  outcome = ticker.Tick(12002);
  EXPECT_FALSE(outcome.startRequest);
  EXPECT_TRUE(outcome.label);
}

TEST(ClockUrlTest, TheVariableReplacesTheBuiltInAddressUnlessEmpty) {
  EXPECT_EQ(net::ClockUrl(std::nullopt), net::DefaultClockUrl());
  EXPECT_EQ(net::ClockUrl(""), net::DefaultClockUrl());
  EXPECT_EQ(net::ClockUrl("http://127.0.0.1:9/"), "http://127.0.0.1:9/");
}

TEST(RequestPatienceTest, FourPhases) {
  EXPECT_EQ(net::RequestPatience(std::nullopt), 60000);
  EXPECT_EQ(net::RequestPatience(0), 60000);
  EXPECT_EQ(net::RequestPatience(1), 4000);
  // The label never waits longer than five seconds, whatever the phases allow.
  EXPECT_EQ(net::ClockPatience(std::nullopt), 5000);
  EXPECT_EQ(net::ClockPatience(1), 4000);
  EXPECT_EQ(net::ClockPatience(2), 5000);
}

}  // namespace
