// Laying out hypertext lines: wrapping in GBK text and stacking without overlap, cut at the
// bottom of the box.
#include <gtest/gtest.h>

#include <string>

#include "base/gbk.h"
#include "ui/hypertext.h"

namespace {

// A fixed-pitch face: 6 pixels a single byte, 12 a double-byte character; bold is taller.
class FixedMeasure : public ui::HypertextMeasure {
 public:
  int Width(std::string_view text, bool) override {
    int width = 0;
    for (size_t i = 0; i < text.size(); i += base::CharLength(text, i)) {
      width += base::CharLength(text, i) == 1 ? 6 : 12;
    }
    return width;
  }
  ui::HypertextMetrics Metrics(bool bold) override {
    return bold ? ui::HypertextMetrics{16, 13} : ui::HypertextMetrics{14, 11};
  }
};

TEST(LayoutHypertext, TallTextIsCutAtTheBottomAndLinesNeverOverlap) {
  FixedMeasure measure;
  // Six lines of 14 px (one with a bold, 16 px run) in a box of 50 px: four lines start inside.
  const auto lines = ui::ParseHypertext("一\r\n二<b>粗</b>\r\n三\r\n四\r\n五\r\n六");
  const auto placed = ui::LayoutHypertext(lines, measure, 100, 50);
  ASSERT_EQ(placed.size(), 4u);
  int expectedTop = 0;
  for (const ui::PlacedLine& line : placed) {
    EXPECT_EQ(line.top, expectedTop);
    expectedTop = line.top + line.height;
  }
  EXPECT_EQ(placed[1].height, 16);  // the bold run makes its line taller, not the next overlap
  EXPECT_LT(placed.back().top, 50);
  EXPECT_GE(placed.back().top + placed.back().height, 50);  // drawn clipped at the edge
}

TEST(LayoutHypertext, WrapsBetweenDoubleByteCharactersAndAtSpacesOnly) {
  FixedMeasure measure;
  {
    // 10 characters of 12 px in 50 px: four to a line, never half a character.
    const auto placed =
        ui::LayoutHypertext(ui::ParseHypertext("一二三四五六七八九十"), measure, 50);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].runs[0].text, "一二三四");
    EXPECT_EQ(placed[2].runs[0].text, "九十");
  }
  {
    // An ASCII word is not split; the space at the break does not start the next line.
    const auto placed = ui::LayoutHypertext(ui::ParseHypertext("abc defgh"), measure, 40);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].runs[0].text, "abc ");
    EXPECT_EQ(placed[1].runs[0].text, "defgh");
  }
  {
    // A trail byte that looks like ASCII ('\\', '@') stays with its lead byte.
    const auto placed =
        ui::LayoutHypertext(ui::ParseHypertext("\x81\x5C\x81\x40\x81\x5C"), measure, 24);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].runs[0].text, "\x81\x5C\x81\x40");
    EXPECT_EQ(placed[1].runs[0].text, "\x81\x5C");
  }
  {
    // A lead byte at the very end of a text is kept, not read past.
    const auto placed = ui::LayoutHypertext(ui::ParseHypertext("a\x81"), measure, 100);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].runs[0].text, "a\x81");
  }
}

TEST(LayoutHypertext, RunsKeepTheirStyleAndPosition) {
  FixedMeasure measure;
  const auto placed =
      ui::LayoutHypertext(ui::ParseHypertext("ab<font color = #D98719><b>粗</b>c"), measure, 200);
  ASSERT_EQ(placed.size(), 1u);
  ASSERT_EQ(placed[0].runs.size(), 3u);
  EXPECT_EQ(placed[0].runs[1].x, 12);
  EXPECT_TRUE(placed[0].runs[1].bold);
  EXPECT_EQ(placed[0].runs[2].x, 24);
  EXPECT_EQ(placed[0].runs[2].color, 0xD98719u);
  EXPECT_EQ(placed[0].ascent, 13);
}

}  // namespace
