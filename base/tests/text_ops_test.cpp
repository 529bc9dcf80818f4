// The shared text operations, with the GBK traps: trail bytes that look like ASCII, a lead byte
// at the end of a text, matches that would start on a trail byte.
#include "base/text_ops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using base::Find;
using base::FindLast;

// A double-byte character whose trail byte is 0x5C, the backslash.
const std::string kTrailBackslash =
    "\x81"
    "\x5C";
// A double-byte character whose trail byte is 0x61, the letter a.
const std::string kTrailLetter =
    "\x81"
    "\x61";
// 啊 (0xB0 0xA1), whose trail byte is also the first byte of a full-width space.
const std::string kAh =
    "\xB0"
    "\xA1";
const std::string kFullWidthSpace =
    "\xA1"
    "\xA1";

TEST(FindTest, NeverMatchesOnATrailByte) {
  EXPECT_EQ(Find(kTrailBackslash + "\\", "\\"), 3);
  EXPECT_EQ(Find(kTrailBackslash, "\\"), -1);
  EXPECT_EQ(Find(kTrailLetter, "a"), -1);
  EXPECT_EQ(Find(kTrailLetter, "A", 1, true), -1);
  // "\xA1\xA1" occurs at byte 2 across two characters, but only as a character at byte 3.
  EXPECT_EQ(Find(kAh + kFullWidthSpace, kFullWidthSpace), 3);
  // 0x80 is a character of its own (the euro sign), not a lead byte.
  EXPECT_EQ(Find("\x80\\", "\\"), 2);
}

// The escape of a unit GBK cannot hold (here U+2603, the snowman) is one character: its hex
// digits are never matched, folded or cut apart, and no lead byte takes its 0xFF as a trail.
TEST(FindTest, EscapedUnitIsOneCharacter) {
  const std::string snowman =
      "\xFF"
      "2603";
  EXPECT_EQ(Find(snowman + "03", "03"), 6);
  EXPECT_EQ(Find(snowman, "03"), -1);
  EXPECT_EQ(Find("x\xB0" + snowman, snowman), 3);
  EXPECT_EQ(base::Replace(snowman + "3", "3"), snowman);
  EXPECT_EQ(base::Split(snowman + "6" + snowman, "6"),
            (std::vector<std::string>{snowman, snowman}));
}

TEST(FindTest, LeadByteAtTheEndIsACharacterOfItsOwn) {
  EXPECT_EQ(Find("ab\xB0", "\xB0"), 3);
  EXPECT_EQ(Find("ab\xB0", "b\xB0"), 2);
}

TEST(FindTest, IgnoreCaseFoldsOnlySingleByteLetters) {
  EXPECT_EQ(Find("Content-TYPE: x", "type", 1, true), 9);
  EXPECT_EQ(Find("Content-TYPE: x", "type"), -1);
  // The trail byte 'A' is not folded to match 'a'.
  EXPECT_EQ(Find("x\x81"
                 "A",
                 kTrailLetter, 1, true),
            -1);
  EXPECT_EQ(Find("x" + kTrailLetter, kTrailLetter, 1, true), 2);
}

TEST(FindTest, StartPositions) {
  EXPECT_EQ(Find("abcabc", "abc", 0), 1);
  EXPECT_EQ(Find("abcabc", "abc", 1), 1);
  EXPECT_EQ(Find("abcabc", "abc", 2), 4);
  EXPECT_EQ(Find("abcabc", "abc", 5), -1);
  EXPECT_EQ(Find("abcabc", "abc", 99), -1);
  EXPECT_EQ(Find("abc", ""), -1);
  EXPECT_EQ(Find("", "a"), -1);
  // A start inside a double-byte character does not make its trail byte a match start.
  EXPECT_EQ(Find(kTrailBackslash + "\\", "\\", 2), 3);
}

TEST(FindLastTest, LastOccurrenceInsideTheFirstBytes) {
  EXPECT_EQ(FindLast("a;b;c", ";"), 4);
  EXPECT_EQ(FindLast("a;b;c", ";", 5), 4);
  EXPECT_EQ(FindLast("a;b;c", ";", 4), 2);  // must lie wholly in the first 3 bytes
  EXPECT_EQ(FindLast("a;b;c", ";", 1), -1);
  EXPECT_EQ(FindLast("a;b;c", ";", 99), 4);
  EXPECT_EQ(FindLast("ab", "ab", 2), -1);
  EXPECT_EQ(FindLast("\\" + kTrailBackslash, "\\"), 1);
  EXPECT_EQ(FindLast("A" + kTrailLetter, "a", {}, true), 1);
}

TEST(SliceTest, LeftAndRight) {
  EXPECT_EQ(base::Left("abc", 2), "ab");
  EXPECT_EQ(base::Left("abc", 9), "abc");
  EXPECT_EQ(base::Left("abc", 0), "");
  EXPECT_EQ(base::Left("abc", -1), "");
  EXPECT_EQ(base::Right("abc", 2), "bc");
  EXPECT_EQ(base::Right("abc", 9), "abc");
  EXPECT_EQ(base::Right("abc", -3), "");
}

TEST(ReplaceTest, CasesAndLimits) {
  EXPECT_EQ(base::Replace("aAa", "a", "b"), "bbb");  // case-insensitive unless asked
  EXPECT_EQ(base::Replace("aAa", "a", "b", 1, {}, true), "bAb");
  EXPECT_EQ(base::Replace("aaa", "a", "b", 2), "abb");
  EXPECT_EQ(base::Replace("aaa", "a", "b", 1, 1), "baa");
  EXPECT_EQ(base::Replace("aaa", "a", "b", 1, 0), "aaa");
  EXPECT_EQ(base::Replace("aaaa", "aa", "a"), "aa");  // replaced text is not scanned again
  EXPECT_EQ(base::Replace("abc", "", "x"), "abc");
  EXPECT_EQ(base::Replace("Cookie: a=1; cookie:b", "Cookie:"), " a=1; b");
}

TEST(ReplaceTest, LeavesTrailBytesAlone) {
  EXPECT_EQ(base::Replace(kTrailBackslash + "\\", "\\", "/"), kTrailBackslash + "/");
  EXPECT_EQ(base::Replace("a" + kTrailLetter, "A", "x"), "x" + kTrailLetter);
}

TEST(SplitTest, Pieces) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(base::Split("a;;b;", ";"), (Pieces{"a", "", "b"}));
  EXPECT_EQ(base::Split(";a", ";"), (Pieces{"", "a"}));
  EXPECT_EQ(base::Split(";", ";"), (Pieces{""}));
  EXPECT_EQ(base::Split("", ";"), Pieces{});
  EXPECT_EQ(base::Split("abc", ";"), (Pieces{"abc"}));
  EXPECT_EQ(base::Split("a; b; ", "; "), (Pieces{"a", "b"}));
  EXPECT_EQ(base::Split("\r\nA: 1\r\nB: 2", "\r\n"), (Pieces{"", "A: 1", "B: 2"}));
  EXPECT_EQ(base::Split(kTrailBackslash + "\\x", "\\"), (Pieces{kTrailBackslash, "x"}));
}

TEST(TrimTest, SpacesAndFullWidthSpacesOnly) {
  EXPECT_EQ(base::Trim(" " + kFullWidthSpace + "a b" + kFullWidthSpace + "  "), "a b");
  EXPECT_EQ(base::Trim("\ta\r\n"), "\ta\r\n");
  EXPECT_EQ(base::Trim("   "), "");
  EXPECT_EQ(base::Trim(""), "");
  EXPECT_EQ(base::Trim(kAh + kFullWidthSpace), kAh);
  // 0xA1 0xA1 here is the trail of 啊 and a lone lead byte, not a full-width space.
  EXPECT_EQ(base::Trim(kAh + "\xA1"), kAh + "\xA1");
  EXPECT_EQ(base::Trim("\xA1"), "\xA1");
}

TEST(TextToBytesTest, NoTerminator) {
  EXPECT_EQ(base::TextToBytes("u:"), (base::Bytes{'u', ':'}));
  EXPECT_TRUE(base::TextToBytes("").empty());
}

}  // namespace
