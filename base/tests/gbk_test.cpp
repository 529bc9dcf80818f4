// Walking GBK texts: one character rule for every walk, and the escapes that carry UTF-16 units
// GBK cannot hold through the program.
#include "base/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// U+2603 (the snowman) as the program holds it.
const std::string kSnowman =
    "\xFF"
    "2603";

TEST(CharLengthTest, LeadBytesAndEscapes) {
  const struct {
    std::string text;
    std::size_t length;
  } cases[] = {
      {"\x81\x40", 2},  // the lowest lead byte, with a trail below 0x80
      {"\xFE\xFE", 2},  // the highest lead byte and trail byte
      {"\x80z", 1},     // 0x80 is the euro sign, a byte of its own
      {"\xB0", 1},      // a lead byte at the end
      {"\x81\xFF"
       "0041",
       1},  // 0xFF is never a trail byte
      {kSnowman, 5},
      {"\xFF"
       "260",
       1},  // cut short: a byte of its own
      {"\xFF"
       "26a3",
       1},  // lower-case digits are not written, so not read
      {"\xFF\xFF", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(base::CharLength(c.text, 0), c.length) << testing::PrintToString(c.text);
  }
}

// Written as 0xFF and four upper-case hex digits, and read back from those bytes.
TEST(EscapedUnitTest, EveryUnitComesBack) {
  const struct {
    char16_t unit;
    std::string escape;
  } cases[] = {
      {0x0000,
       "\xFF"
       "0000"},
      {0x003F,
       "\xFF"
       "003F"},
      {0x2603, kSnowman},
      {0xD83D,
       "\xFF"
       "D83D"},
      {0xDE00,
       "\xFF"
       "DE00"},
      {0xFFFD,
       "\xFF"
       "FFFD"},
      {0xFFFF,
       "\xFF"
       "FFFF"},
  };
  for (const auto& c : cases) {
    std::string text = "a";
    base::AppendEscapedUnit(text, c.unit);
    ASSERT_EQ(text.size(), 1 + base::kUnitEscapeLength);
    EXPECT_EQ(text, "a" + c.escape);
    EXPECT_EQ(base::EscapedUnitAt("a" + c.escape, 1), c.unit);
    EXPECT_FALSE(base::EscapedUnitAt(text, 0));
  }
  EXPECT_FALSE(base::EscapedUnitAt(kSnowman, 1));
  EXPECT_EQ(base::kUnitEscapeLength, 5u);
}

TEST(PlainGbkTest, EscapesShowAsQuestionMarks) {
  // 点 (0xB5 0xE3), an emoji's two halves, a snowman; GBK bytes stay as they are.
  EXPECT_EQ(base::PlainGbk("a\xB5\xE3"
                           "\xFF"
                           "D83D"
                           "\xFF"
                           "DE00" +
                           kSnowman + "b"),
            "a\xB5\xE3???b");
  // A byte 0xFF that starts no escape is left alone, and so is everything else.
  EXPECT_EQ(base::PlainGbk("\xFF"
                           "12\x80"),
            "\xFF"
            "12\x80");
  const std::string gbk = "\x81\x5C\x81\x41%player%";
  EXPECT_EQ(base::PlainGbk(gbk), gbk);
}

}  // namespace
