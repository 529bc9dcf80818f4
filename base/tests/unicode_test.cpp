// UTF-8 and UTF-16: every UTF-16 text comes back unchanged, lone surrogates included, and every
// text that is not UTF-8 is refused rather than guessed at.
#include "base/unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Test, EveryUtf16TextComesBack) {
  const struct {
    std::u16string wide;
    std::string utf8;
  } cases[] = {
      {u"", ""},
      {u"a\r\n", "a\r\n"},
      {u"\u00E9",  // é, the two-byte form
       "\xC3\xA9"},
      {u"\u70B9",  // 点, three bytes
       "\xE7\x82\xB9"},
      {u"\U0001F600",  // an emoji: a surrogate pair in UTF-16, four bytes in UTF-8
       "\xF0\x9F\x98\x80"},
      {std::u16string(1, u'\xD83D'),  // a lone high surrogate, written as its three bytes
       "\xED\xA0\xBD"},
      {std::u16string(1, u'\xDE00') + u"x",  // a lone low surrogate
       "\xED\xB8\x80x"},
      {std::u16string(1, u'\xDE00') + std::u16string(1, u'\xD83D'),  // low then high: no pair
       "\xED\xB8\x80\xED\xA0\xBD"},
      {u"\uFFFF" + std::u16string(1, u'\0'), std::string("\xEF\xBF\xBF\0", 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.utf8));
    EXPECT_EQ(base::Utf8FromUtf16(c.wide), c.utf8);
    EXPECT_EQ(base::Utf16FromUtf8(c.utf8), c.wide);
  }
}

TEST(Utf8Test, WhatIsNotUtf8IsRefused) {
  for (const std::string text : {
           "\x80",              // a continuation byte alone
           "\xC3",              // a lead byte at the end
           "\xC3x",             // a lead byte without its continuation
           "\xC0\xAF",          // an overlong "/"
           "\xE0\x80\xAF",      // an overlong "/" in three bytes
           "\xF4\x90\x80\x80",  // past U+10FFFF
           "\xFF",
           "\xB5\xE3",                  // GBK 点
           "\xED\xA0\xBD\xED\xB8\x80",  // a surrogate pair written as two halves
       }) {
    EXPECT_FALSE(base::Utf16FromUtf8(text)) << testing::PrintToString(text);
  }
}

TEST(Utf16BytesTest, BothOrders) {
  using namespace std::string_literals;
  EXPECT_EQ(base::Utf16FromBytes("\xB9\x70\x41\x00"s, false), u"\u70B9A");
  EXPECT_EQ(base::Utf16FromBytes("\x70\xB9\x00\x41\x00"s, true), u"\u70B9A");  // odd byte dropped
}

}  // namespace
