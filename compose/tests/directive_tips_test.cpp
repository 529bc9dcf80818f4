// The directive tips are attached in order to the balloon tip; each renders as bold #D98719 text
// with none of its markup showing.
#include "compose/directive_tips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ui/hypertext.h"
#include "ui/tests/fake_frame.h"

namespace {

using namespace ui::ids;
using testing_support::FakeFrame;

TEST(DirectiveTips, EveryTipIsAttachedInOrderWithNoIconAndWholeControl) {
  FakeFrame frame;
  compose::AttachDirectiveTips();
  const ui::ControlId expectedTargets[] = {编辑框1, 编辑框2, 编辑框3,  编辑框4,  编辑框5,  编辑框6,
                                           按钮13,  按钮14,  编辑框12, 编辑框13, 编辑框14, 按钮18};
  ASSERT_EQ(frame.tips.size(), std::size(expectedTargets));
  for (size_t i = 0; i < frame.tips.size(); ++i) {
    const auto& tip = frame.tips[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(tip.tip.control, 气球提示框1);
    EXPECT_EQ(tip.tip.kind, ui::Kind::kBalloonTip);
    EXPECT_EQ(tip.target.control, expectedTargets[i]);
    EXPECT_EQ(tip.text, compose::DirectiveTips()[i].text);
    EXPECT_EQ(tip.icon, -1);
    EXPECT_EQ(tip.region.left | tip.region.top | tip.region.width | tip.region.height, 0);
  }
}

TEST(DirectiveTips, ATipThatCannotBeAttachedIsSkipped) {
  FakeFrame frame;
  frame.rejectedTipTargets = {编辑框1, 编辑框13};
  compose::AttachDirectiveTips();
  ASSERT_EQ(frame.tips.size(), 10u);
  EXPECT_EQ(frame.tips.front().target.control, 编辑框2);
  EXPECT_EQ(frame.tips.back().target.control, 按钮18);
}

TEST(DirectiveTips, EveryTipIsBoldAndColouredToItsEndWithoutMarkup) {
  for (const compose::DirectiveTip& tip : compose::DirectiveTips()) {
    SCOPED_TRACE(testing::PrintToString(tip.target));
    const auto lines = ui::ParseHypertext(tip.text);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 1u) << "one style from start to end";
    EXPECT_TRUE(lines[0][0].bold);
    EXPECT_EQ(lines[0][0].color, 0xD98719u);
    const std::string plain = ui::PlainText(lines);
    EXPECT_EQ(plain.find("<font"), std::string::npos);
    EXPECT_EQ(plain.find("</"), std::string::npos);
    EXPECT_EQ(plain.find("<b>"), std::string::npos);
  }
}

TEST(DirectiveTips, ComparisonSignsInExamplesAreText) {
  // "<10" of the health example is not a tag, and ">=" of the level example is not a tag end.
  const auto tips = compose::DirectiveTips();
  auto plainOf = [&](ui::ControlId target) {
    auto it = std::find_if(tips.begin(), tips.end(),
                           [&](const compose::DirectiveTip& tip) { return tip.target == target; });
    return ui::PlainText(ui::ParseHypertext(it->text));
  };
  const std::string health = plainOf(编辑框14);
  EXPECT_NE(health.find("%player_health%<10 &c"), std::string::npos) << health;
  EXPECT_TRUE(health.ends_with("才能使用它！")) << health;
  const std::string level = plainOf(编辑框13);
  EXPECT_NE(level.find("%player_level%>=30 &c"), std::string::npos) << level;
  EXPECT_TRUE(level.ends_with("才能使用它！")) << level;
  EXPECT_EQ(plainOf(按钮14), plainOf(按钮18));
}

TEST(DirectiveTips, InputsWithoutATipGetNone) {
  const auto tips = compose::DirectiveTips();
  for (ui::ControlId bare : {编辑框7, 编辑框8, 编辑框9, 编辑框10, 编辑框11, 编辑框17, 按钮6}) {
    EXPECT_TRUE(std::none_of(tips.begin(), tips.end(), [&](const compose::DirectiveTip& tip) {
      return tip.target == bare;
    })) << bare;
  }
}

}  // namespace
