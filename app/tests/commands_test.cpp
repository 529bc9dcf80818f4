// The four command choosers, driven through their buttons' bindings with scripted dialog answers:
// every item of every chooser, confirmed, empty and cancelled answers, spaces and GBK text.
#include "compose/commands.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/window_description.h"
#include "ui/tests/fake_frame.h"

namespace {

using namespace ui::ids;
using testing_support::FakeFrame;
using Question = FakeFrame::Question;

const Question kName{"请输入脚本名", "请输入脚本名"};
const Question kPlayer{"请输入玩家名", "请输入玩家名"};
const Question kPersonal{"请输入个人冷却时间", "请输入个人冷却时间（比如12小时是43199999秒)"};
const Question kGlobal{"请输入全局冷却时间", "请输入全局冷却时间"};
const Question kLine{"请输入脚本行",
                     "请输入脚本行，例如普通玩家指令执行的可以回城的脚本，加入脚本行即可: "
                     "@command /spawn 请根据执行类指令生成窗口的指令输或者直接复制"};
const Question kLineNumber{"请输入脚本行", "请输入脚本行数，例如:1、2、3"};

constexpr std::nullopt_t kCancel = std::nullopt;

struct Case {
  ui::ControlId button;
  ui::ControlId chooser;
  int item;  // -1: nothing chosen
  std::vector<std::optional<std::string>> answers;
  std::string expected;  // the box held "old " before the click
  std::vector<Question> asked;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << "button 0x" << std::hex << c.button << " item " << std::dec << c.item;
}

class ChooserTest : public ::testing::TestWithParam<Case> {};

TEST_P(ChooserTest, ComposesTheCommandFromTheAnswers) {
  const Case& c = GetParam();
  FakeFrame frame(app::WindowDescriptions());
  frame.SetText(编辑框15, "old ");
  frame.Select(c.chooser, c.item);
  for (const auto& answer : c.answers) frame.answers.push_back(answer);
  frame.Click(c.button);
  EXPECT_EQ(frame.Text(编辑框15), c.expected);
  EXPECT_EQ(frame.questions, c.asked);
  EXPECT_TRUE(frame.answers.empty()) << "fewer dialogs than answers";
}

// The raw bytes of a GBK character whose trail byte is '\'.
const std::string kBackslashTrail = "\x81\x5C";

INSTANTIATE_TEST_SUITE_P(
    ScriptChooser, ChooserTest,
    ::testing::Values(Case{按钮1, 组合框1, 0, {"heal"}, "/vrnl create heal", {kName}},
                      Case{按钮1,
                           组合框1,
                           0,
                           {"回城 脚本" + kBackslashTrail},
                           "/vrnl create 回城 脚本\x81\x5C",
                           {kName}},
                      Case{按钮1, 组合框1, 1, {kCancel}, "/vrnl delete ", {kName}},
                      Case{按钮1, 组合框1, 1, {""}, "/vrnl delete ", {kName}},
                      Case{按钮1, 组合框1, -1, {}, "old ", {}}));

INSTANTIATE_TEST_SUITE_P(
    TriggerChooser, ChooserTest,
    ::testing::Values(
        Case{按钮2,
             组合框2,
             0,
             {"heal", "43199999", "0"},
             "/vrnl click heal 43199999 0",
             {kName, kPersonal, kGlobal}},
        // Cancelled dialogs are empty answers and the next dialog still comes.
        Case{按钮2,
             组合框2,
             0,
             {kCancel, kCancel, kCancel},
             "/vrnl click   ",
             {kName, kPersonal, kGlobal}},
        Case{按钮2,
             组合框2,
             1,
             {"回城 脚本", "", "20"},
             "/vrnl walk 回城 脚本  20",
             {kName, kPersonal, kGlobal}},
        Case{按钮2,
             组合框2,
             2,
             {"b", kCancel, "5"},
             "/vrnl break b  5",
             {kName, kPersonal, kGlobal}},
        Case{按钮2, 组合框2, 3, {"heal", "player1"}, "/vrnl run heal player1", {kName, kPlayer}},
        Case{按钮2, 组合框2, 3, {kCancel, "玩家 一"}, "/vrnl run  玩家 一", {kName, kPlayer}},
        // Nothing chosen: the binding questions, appended without a command word.
        Case{按钮2,
             组合框2,
             -1,
             {"heal", "10", "20"},
             "old heal 10 20",
             {kName, kPersonal, kGlobal}}));

INSTANTIATE_TEST_SUITE_P(
    LineChooser, ChooserTest,
    ::testing::Values(
        Case{按钮3,
             组合框3,
             0,
             {"heal", "@bypass /heal %player%"},
             "/vrnl add heal @bypass /heal %player%",
             {kName, kLine}},
        Case{按钮3, 组合框3, 0, {"heal", kCancel}, "/vrnl add heal ", {kName, kLine}},
        Case{按钮3, 组合框3, 1, {"heal", "2"}, "/vrnl del heal 2", {kName, kLineNumber}},
        Case{按钮3, 组合框3, 1, {kCancel, kCancel}, "/vrnl del  ", {kName, kLineNumber}},
        Case{按钮3, 组合框3, -1, {}, "old  ", {}}));

INSTANTIATE_TEST_SUITE_P(
    OtherChooser, ChooserTest,
    ::testing::Values(Case{按钮4, 组合框4, 0, {}, "/vrnl reload", {}},
                      Case{按钮4, 组合框4, 1, {}, "/papi reload", {}},
                      Case{按钮4, 组合框4, 2, {}, "/placeholderapi list", {}},
                      Case{按钮4, 组合框4, 3, {"heal"}, "/vrnl info heal", {kName}},
                      Case{按钮4, 组合框4, 3, {kCancel}, "/vrnl info ", {kName}},
                      Case{按钮4, 组合框4, 4, {}, "/vrnl unbind", {}},
                      Case{按钮4, 组合框4, 5, {}, "/placeholderapi", {}},
                      Case{按钮4, 组合框4, 6, {}, "/papi ecloud download player", {}},
                      Case{按钮4, 组合框4, 7, {}, "/papi ecloud download javascript", {}},
                      Case{按钮4, 组合框4, 8, {}, "/papi ecloud download Server", {}},
                      Case{按钮4, 组合框4, 9, {}, "/papi ecloud download Sound", {}},
                      Case{按钮4, 组合框4, 10, {}, "/papi ecloud download Bungee", {}},
                      Case{按钮4, 组合框4, 11, {}, "/papi ecloud download vault", {}},
                      Case{按钮4, 组合框4, -1, {}, "old ", {}}));

}  // namespace
