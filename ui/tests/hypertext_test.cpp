// Hypertext parsing: crossed and unclosed elements, colour attributes, GBK text and line breaks.
#include "ui/hypertext.h"

#include <gtest/gtest.h>

namespace {

using ui::HypertextRun;

TEST(ParseHypertext, CrossedAndUnclosedElementsStyleToTheEnd) {
  {
    auto lines = ui::ParseHypertext("<font color = #D98719><b>仅供参考</font></b>尾");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], (ui::HypertextLine{{"仅供参考", true, 0xD98719}, {"尾", false, 0}}));
  }
  {
    // The level tip never closes its elements: bold and coloured to the end, no markup shown.
    auto lines = ui::ParseHypertext(
        "<font color = #D98719><b>完整例子:@papi:%player_level%>=30 &c才能使用它！");
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 1u);
    EXPECT_EQ(lines[0][0],
              (HypertextRun{"完整例子:@papi:%player_level%>=30 &c才能使用它！", true, 0xD98719}));
  }
}

TEST(ParseHypertext, LinesBreakAtCrLfAndEmptyLinesStay) {
  auto lines = ui::ParseHypertext("一\r\n\r\n二<br>三");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0][0].text, "一");
  EXPECT_TRUE(lines[1].empty());
  EXPECT_EQ(lines[2][0].text, "二");
  EXPECT_EQ(lines[3][0].text, "三");
}

TEST(ParseHypertext, TextThatLooksLikeMarkupIsKept) {
  // Colour codes are not entities; a '<' without '>' is text; known entities are decoded.
  auto lines = ui::ParseHypertext("&b&l点券 a<b &lt;x&gt; &amp;");
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 1u);
  EXPECT_EQ(lines[0][0].text, "&b&l点券 a<b <x> &");
  // A double-byte character whose trail byte is 0x5C stays whole before a tag.
  auto tricky = ui::ParseHypertext("\x81\x5C<b>x");
  ASSERT_EQ(tricky[0].size(), 2u);
  EXPECT_EQ(tricky[0][0].text, "\x81\x5C");
  EXPECT_TRUE(tricky[0][1].bold);
}

TEST(ParseHypertext, BadColourKeepsTheCurrentOneAndUnknownTagsVanish) {
  auto lines = ui::ParseHypertext("<font color=#12>a</font><i>b</i><font color='#00ff00'>c");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], (ui::HypertextLine{{"ab", false, 0}, {"c", false, 0x00FF00}}));
}

}  // namespace
