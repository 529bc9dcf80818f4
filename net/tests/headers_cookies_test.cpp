// Header lines and cookie lists.
#include "net/headers_cookies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using net::HeaderName;
using net::HeaderValue;
using net::MergeCookies;
using net::TextBefore;
using net::TextBetween;

TEST(HeaderNameTest, NameAndValue) {
  EXPECT_EQ(HeaderName("no colon"), "");
  EXPECT_EQ(HeaderValue("no colon"), "");
  EXPECT_EQ(HeaderName(":x"), "");
  EXPECT_EQ(HeaderValue(":x"), "x");
  EXPECT_EQ(HeaderName("  Host  :   a b c   "), "Host");
  EXPECT_EQ(HeaderValue("  Host  :   a b c   "), "a b c");
  EXPECT_EQ(HeaderValue("Referer: http://127.0.0.1:80/x"), "http://127.0.0.1:80/x");
  EXPECT_EQ(HeaderValue("Date: Tue, 08 Dec 2026 04:31:36 GMT"), "Tue, 08 Dec 2026 04:31:36 GMT");
  EXPECT_EQ(HeaderValue("X:\xA1\xA1v\xA1\xA1"), "v");
}

TEST(TextBeforeTest, ForwardAndBackward) {
  EXPECT_EQ(TextBefore("Set-Cookie: a=1", ": "), "Set-Cookie");
  EXPECT_EQ(TextBefore("Set-Cookie: a=1", "; "), "");
  EXPECT_EQ(TextBefore(";a;b", ";"), "");
  EXPECT_EQ(TextBefore(";a;b", ";", 2), ";a");  // skips the occurrence at position 1
  EXPECT_EQ(TextBefore("a;b;c", ";", -1), "a;b");
  EXPECT_EQ(TextBefore("a;b;c;", ";", -1), "a;b;c");
  EXPECT_EQ(TextBefore("a;b;c;", ";", -2), "a;b");  // ignores the last two bytes
  EXPECT_EQ(TextBefore("a;b", ";", -9), "");
  EXPECT_EQ(TextBefore("A=1", "a", 0, true), "");
  EXPECT_EQ(TextBefore("xA=1", "a", 0, true), "x");
}

TEST(TextBetweenTest, Markers) {
  EXPECT_EQ(TextBetween("Date: Tue, 08 Dec 2026 04:31:36 GMT\r\nServer: x\r\n", "Date:", "\r\n"),
            " Tue, 08 Dec 2026 04:31:36 GMT");
  // The end marker must follow the start marker.
  EXPECT_EQ(TextBetween("; a=1", "a", ";"), "");
  EXPECT_EQ(TextBetween("x", "y", "x"), "");
  EXPECT_EQ(TextBetween("<b>x</b><b>y</b>", "<b>", "</b>", 2), "y");
  EXPECT_EQ(TextBetween("<B>x</b>", "<b>", "</B>", 0, true), "x");
}

TEST(TextBetweenTest, QuotePlaceholder) {
  EXPECT_EQ(TextBetween("say \"word\" now", "#引号", "#引号"), "word");
  EXPECT_EQ(TextBetween("a=\"v\";", "=#引号", "#引号;"), "v");
  // Only the exact placeholder is replaced.
  EXPECT_EQ(TextBetween("\"x\"", "#引", "#引"), "");
}

TEST(CookieNameTest, Names) {
  EXPECT_EQ(net::CookieName(" sid = abc "), "sid");
  EXPECT_EQ(net::CookieName(" flag "), "flag");
  EXPECT_EQ(net::CookieName("=x"), "");
  EXPECT_FALSE(net::HasCookieNamed({}, ""));
  EXPECT_TRUE(net::HasCookieNamed({"a=1", "B=2"}, "B"));
  EXPECT_FALSE(net::HasCookieNamed({"a=1", "B=2"}, "b"));
}

TEST(MergeCookiesTest, Cases) {
  struct Case {
    std::string oldCookies;
    std::string newCookies;
    std::string merged;
  };
  const Case cases[] = {
      {"a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
      {"", "x=1;", "x=1"},
      {"a=1; a=2", "", "a=1"},
      {"sid=abc", "sid=deleted", ""},
      {"", "b=3; b=3", "b=3"},
      {"", "", ""},
      {"  a=1;  ", "", "a=1"},
      {"a=1", "a=deleted; b=2", "b=2"},
      {"x=deleted", "", ""},
      {"a=1; b=2", "c=3", "c=3; a=1; b=2"},
  };
  for (const Case& c : cases) {
    std::string oldCookies = c.oldCookies;
    std::string newCookies = c.newCookies;
    EXPECT_EQ(MergeCookies(oldCookies, newCookies), c.merged)
        << "old '" << c.oldCookies << "' new '" << c.newCookies << "'";
    EXPECT_EQ(oldCookies, c.merged);
  }
}

TEST(MergeCookiesTest, TrimsNewInPlace) {
  std::string oldCookies = "a=1";
  std::string newCookies = "  b=2;";
  MergeCookies(oldCookies, newCookies);
  EXPECT_EQ(newCookies, "b=2; ");
}

TEST(RemoveDuplicatesTest, BySeparatorAndByCharacter) {
  EXPECT_EQ(net::RemoveDuplicates("x; y; x", "; ", true), "x; y");
  EXPECT_EQ(net::RemoveDuplicates("", "; ", true), "");
  EXPECT_EQ(net::RemoveDuplicates("abca", ",", false), "a,b,c");
  EXPECT_EQ(net::RemoveDuplicates("\xB0\xA1x\xB0\xA1", "", false), "\xB0\xA1x");
}

TEST(SplitCharactersTest, Pieces) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(net::SplitCharacters("a\r\nb\rc"), (Pieces{"a", "\r\n", "b", "\r", "c"}));
  EXPECT_EQ(net::SplitCharacters("\x81\x5Cz"), (Pieces{"\x81\x5C", "z"}));
  // 0x80 is a byte of its own here; a lead byte at the end stays alone.
  EXPECT_EQ(net::SplitCharacters("\x80z\xB0"), (Pieces{"\x80", "z", "\xB0"}));
  // A unit GBK cannot hold is one piece; 0xFF never becomes a lead byte's trail.
  EXPECT_EQ(net::SplitCharacters("\xFF"
                                 "2603\xB0\xFF"
                                 "26"),
            (Pieces{"\xFF"
                    "2603",
                    "\xB0", "\xFF", "2", "6"}));
  EXPECT_EQ(net::SplitCharacters("\r"), (Pieces{"\r"}));
  EXPECT_EQ(net::SplitCharacters(""), Pieces{});
}

TEST(IndexOfItemTest, Positions) {
  EXPECT_EQ(net::IndexOfItem({"a", "b", "b"}, "b"), 2);
  EXPECT_EQ(net::IndexOfItem({"a"}, "A"), -1);
  EXPECT_EQ(net::IndexOfItem({}, ""), -1);
}

}  // namespace
