// The hypertext style sheet: the program's rules as parsed, and hostile sheets.
#include "ui/style_sheet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ui::StyleSheet;
using ui::TextStyle;

TEST(StyleSheetText, SeventeenRulesEachLineEndingInCrLf) {
  const std::string_view text = ui::StyleSheetText();
  size_t lines = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(text[i - 1], '\r') << "bare LF at " << i;
      ++lines;
    }
  }
  EXPECT_EQ(lines, 17u);
  EXPECT_TRUE(text.ends_with("\r\n"));
  EXPECT_EQ(StyleSheet::Program().Rules().size(), 17u);
}

TEST(StyleSheetProgram, BodyIsNinePointSongBlackAtTheScreensDpi) {
  const TextStyle body = StyleSheet::Program().Body();
  ASSERT_FALSE(body.families.empty());
  EXPECT_EQ(body.families[0], "宋体");
  EXPECT_EQ(body.color, 0x000000u);
  EXPECT_FALSE(body.bold);
  EXPECT_EQ(ui::PointsToPixels(body.points, 96), 12);
  EXPECT_EQ(ui::PointsToPixels(body.points, 120), 15);
  EXPECT_EQ(ui::PointsToPixels(body.points, 144), 18);
}

TEST(StyleSheetProgram, ElementRulesApplyOverTheInheritedStyle) {
  const StyleSheet& sheet = StyleSheet::Program();
  const TextStyle body = sheet.Body();
  {
    const TextStyle h6 = sheet.Apply("h6", sheet.Apply("h1", body));  // 65% of h1's 14pt
    EXPECT_DOUBLE_EQ(h6.points, 14 * 0.65);
    EXPECT_EQ(h6.color, 0x626262u);
    EXPECT_FALSE(h6.bold);
  }
  {
    const TextStyle pre = sheet.Apply("pre", body);
    EXPECT_EQ(pre.families, (std::vector<std::string>{"宋体", "Courier"}));
    EXPECT_EQ(pre.background, 0xFBEDBBu);
  }
  EXPECT_TRUE(sheet.Apply("a:hover", body).underline);
  EXPECT_FALSE(sheet.Apply("a:link", sheet.Apply("a:hover", body)).underline);
  EXPECT_EQ(sheet.Apply(".comment", body).color, 0x008000u);
  EXPECT_EQ(sheet.Apply("H2", body).color, 0xFF9900u);  // selectors ignore ASCII case
  EXPECT_EQ(sheet.Apply("blink", body), body);          // no rule: inherited unchanged
}

TEST(StyleSheetParse, HostileSheetsNeitherCrashNorInventValues) {
  {
    // Unclosed rule, declarations without colon or value, a rule with no selector.
    const StyleSheet sheet = StyleSheet::Parse("{color:red}\r\nb {color; :x; font-size:} i {colo");
    ASSERT_EQ(sheet.Rules().size(), 2u);
    EXPECT_TRUE(sheet.Rules()[0].declarations.size() == 1);  // "font-size" with empty value
    EXPECT_EQ(sheet.Value("b", "font-size"), "");
    EXPECT_EQ(sheet.Value("b", "color"), std::nullopt);
    EXPECT_TRUE(sheet.Rules()[1].declarations.empty());
  }
  {
    // Sizes and colours it cannot read keep the inherited ones.
    const StyleSheet sheet = StyleSheet::Parse(
        "a {font-size: abcpt; color:#12} b {font-size:-5pt; color:#gg0000} "
        "c {font-size:1e999pt} d {font-size: 9px} e {color:#f90; font-size:200%}");
    TextStyle base;
    base.points = 10;
    for (const char* selector : {"a", "b", "c", "d"}) EXPECT_EQ(sheet.Apply(selector, base), base);
    const TextStyle e = sheet.Apply("e", base);
    EXPECT_EQ(e.color, 0xFF9900u);
    EXPECT_DOUBLE_EQ(e.points, 20);
  }
  {
    // A later rule for the same selector wins for the properties it names.
    const StyleSheet sheet = StyleSheet::Parse("p {color:red; font-weight:bold} p {color:blue}");
    const TextStyle p = sheet.Apply("p", TextStyle{});
    EXPECT_EQ(p.color, 0x0000FFu);
    EXPECT_TRUE(p.bold);
  }
}

}  // namespace
