// Script-line builders driven through the window description's bindings, as clicks would.
#include "compose/builders.h"

#include <gtest/gtest.h>

#include <string>

#include "app/window_description.h"
#include "ui/tests/fake_frame.h"

namespace {

using namespace ui::ids;
using testing_support::FakeFrame;

constexpr ui::ControlId kGates[] = {单选框1, 单选框2, 单选框3, 单选框4, 单选框5, 单选框6, 单选框7};

TEST(ScriptLineBuilders, LinesAreAppendedWithoutSeparator) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetChecked(单选框2, true);
  frame.SetText(编辑框2, "/spawn");
  frame.Click(按钮7);
  frame.Click(按钮7);
  EXPECT_EQ(frame.Text(编辑框16), "@command /spawn@command /spawn");
}

TEST(ScriptLineBuilders, CheckedGateWithEmptyInputAppendsBareDirective) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetChecked(单选框1, true);
  frame.Click(按钮6);
  EXPECT_EQ(frame.Text(编辑框16), "@bypass ");
}

// A gated row whose gate is not selected adds nothing and reads nothing but its gate; a note at
// the gate names the box to select, by its caption.
TEST(ScriptLineBuilders, UncheckedGateAddsNothingAndNotesWhichBoxToSelect) {
  const struct {
    ui::ControlId button;
    ui::ControlId gate;
    std::string caption;
  } rows[] = {
      {按钮6, 单选框1, "OP权限执行"},
      {按钮7, 单选框2, "普通玩家执行"},
      {按钮8, 单选框3, "后台执行指令"},
      {按钮9, 单选框4, "消耗金钱执行"},
      {按钮10, 单选框5, "发送ActionBar信息 (仅支持1.8+服务器)"},
      {按钮11, 单选框6, "发送Title信息 (仅支持1.8+服务器)"},
      {按钮13, 单选框7, "消耗指定物品执行"},
  };
  for (const auto& [button, gate, caption] : rows) {
    SCOPED_TRACE(caption);
    FakeFrame frame(app::WindowDescriptions());
    frame.SetText(编辑框16, "kept");
    frame.SetText(编辑框1, "/give %player% 264 1");
    for (ui::ControlId other : kGates) frame.SetChecked(other, other != gate);
    frame.reads.clear();
    frame.Click(button);
    EXPECT_EQ(frame.Text(编辑框16), "kept");
    EXPECT_TRUE(frame.writes.empty());
    EXPECT_TRUE(frame.appends.empty());
    for (const auto& [window, control] : frame.reads) EXPECT_EQ(control, gate);
    EXPECT_EQ(frame.notes,
              (std::vector<FakeFrame::Note>{{gate, "请先选中“" + caption + "”，再生成脚本行"}}));
  }
}

// Every row, driven through its button's binding with distinct inputs, so a row bound to the
// wrong button, gate or input box shows up.
TEST(ScriptLineBuilders, EveryRowJoinsItsInputsInOrder) {
  struct Case {
    ui::ControlId button;
    ui::ControlId gate;
    std::vector<std::pair<ui::ControlId, std::string>> inputs;
    std::string expected;
  };
  const Case cases[] = {
      {按钮6, 单选框1, {{编辑框1, "a"}}, "@bypass a"},
      {按钮7, 单选框2, {{编辑框2, "b"}}, "@command b"},
      {按钮8, 单选框3, {{编辑框3, "c"}}, "@console c"},
      {按钮9, 单选框4, {{编辑框4, "100 &c钱不够"}}, "$cost:100 &c钱不够"},
      {按钮10, 单选框5, {{编辑框5, "hi"}}, "@msg:hi"},
      {按钮11, 单选框6, {{编辑框6, "A"}, {编辑框7, "B"}}, "@title:A##B##10##60##10"},
      {按钮13,
       单选框7,
       {{编辑框8, "1"}, {编辑框9, "2"}, {编辑框10, "3"}, {编辑框11, "4"}},
       "$item:1#####2 3 4"},
      {按钮15, 0, {{编辑框12, "essentials.fly x"}}, "@perm:essentials.fly x"},
      {按钮16, 0, {{编辑框13, "<5 y"}}, "@papi:%player_level%<5 y"},
      {按钮17, 0, {{编辑框14, "==20 z"}}, "@papi:%player_health%==20 z"},
      {按钮23, 0, {{编辑框17, "20"}}, "@delay:20"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    FakeFrame frame(app::WindowDescriptions());
    if (c.gate != 0) frame.SetChecked(c.gate, true);
    // Every other input box holds a decoy that must not appear.
    for (const compose::ScriptLineRow& row : compose::ScriptLineRows()) {
      for (const compose::LinePart& part : row.parts) {
        if (part.input != 0) frame.SetText(part.input, "<decoy>");
      }
    }
    for (const auto& [box, text] : c.inputs) frame.SetText(box, text);
    frame.Click(c.button);
    EXPECT_EQ(frame.Text(编辑框16), c.expected);
    EXPECT_TRUE(frame.notes.empty());
  }
}

// The output box is only added to: never read back and written whole, so nothing the user typed
// there can change. The caret and view end at the start, as a whole write leaves them.
TEST(ScriptLineBuilders, InputsAreReadInTableOrderAndTheBoxIsOnlyAppendedTo) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetChecked(单选框7, true);
  frame.Click(按钮13);
  std::vector<ui::ControlId> texts;
  for (const auto& [window, control] : frame.reads) {
    if (control != 单选框7) texts.push_back(control);
  }
  EXPECT_EQ(texts, (std::vector<ui::ControlId>{编辑框8, 编辑框9, 编辑框10, 编辑框11}));
  EXPECT_TRUE(frame.writes.empty());
  using Append = std::pair<ui::ControlId, ui::AppendedView>;
  EXPECT_EQ(frame.appends, (std::vector<Append>{{编辑框16, ui::AppendedView::kAtStart}}));
}

TEST(ScriptLineBuilders, TitleAndItemRowsKeepTheirFixedSeparatorsWhenEmpty) {
  {
    FakeFrame frame(app::WindowDescriptions());
    frame.SetChecked(单选框6, true);
    frame.Click(按钮11);
    EXPECT_EQ(frame.Text(编辑框16), "@title:####10##60##10");
  }
  {
    FakeFrame frame(app::WindowDescriptions());
    frame.SetChecked(单选框7, true);
    frame.Click(按钮13);
    EXPECT_EQ(frame.Text(编辑框16), "$item:#####  ");
  }
}

TEST(ScriptLineBuilders, ItemRowWithChineseNameAndMessage) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetChecked(单选框7, true);
  frame.SetText(编辑框8, "57");
  frame.SetText(编辑框9, "&b&l点券");
  frame.SetText(编辑框10, "100");
  frame.SetText(编辑框11, "&c你必须拥有3个名为&b&l点券&c的钻石块才能使用它！你当前有%amount%个！");
  frame.Click(按钮13);
  const std::string expected =
      "$item:57#####&b&l点券 100 "
      "&c你必须拥有3个名为&b&l点券&c的钻石块才能使用它！你当前有%amount%个！";
  EXPECT_EQ(frame.Text(编辑框16), expected);
  // The program works in GBK: 点券 is four bytes here, not six as in UTF-8.
  EXPECT_EQ(expected.substr(17, 4), std::string("\xB5\xE3"     // 点
                                                "\xC8\xAF"));  // 券
}

TEST(ScriptLineBuilders, LevelRowExample) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetText(编辑框13, ">=30 &c你必须达到30级才能使用它！");
  frame.Click(按钮16);
  EXPECT_EQ(frame.Text(编辑框16), "@papi:%player_level%>=30 &c你必须达到30级才能使用它！");
}

TEST(ScriptLineBuilders, PageThreeRowsIgnoreTheRadioBoxes) {
  for (bool checked : {false, true}) {
    FakeFrame frame(app::WindowDescriptions());
    for (ui::ControlId gate : kGates) frame.SetChecked(gate, checked);
    frame.Click(按钮15);
    frame.Click(按钮16);
    frame.Click(按钮17);
    frame.Click(按钮23);
    EXPECT_EQ(frame.Text(编辑框16), "@perm:@papi:%player_level%@papi:%player_health%@delay:");
    EXPECT_TRUE(frame.notes.empty());
  }
}

TEST(ScriptLineBuilders, TypedTextStaysInFrontUnchanged) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetText(编辑框16, "- '@msg:已有内容' \r\n");
  frame.SetText(编辑框17, "20");
  frame.Click(按钮23);
  EXPECT_EQ(frame.Text(编辑框16), "- '@msg:已有内容' \r\n@delay:20");
}

TEST(ScriptLineBuilders, HostileTextIsJoinedByteForByte) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetChecked(单选框3, true);
  // Trail bytes that look like a backslash or a letter, a lone lead byte at the end, and a text
  // of tens of kilobytes: all joined unchanged.
  std::string tricky =
      "\x81\x5C"  // 乗, trail byte 0x5C
      "\x81\x41"  // 丄, trail byte 'A'
      "%player%\\n\"'";
  tricky += "\xB5";  // lead byte without its trail
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "\xB5\xE3";  // 40 000 bytes of 点
  frame.SetText(编辑框3, tricky + big);
  frame.Click(按钮8);
  EXPECT_EQ(frame.Text(编辑框16), "@console " + tricky + big);
}

TEST(ScriptLineOutputBox, CopyPutsTheWholeTextOnTheClipboard) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetText(编辑框16, "@delay:20@msg:好");
  frame.Click(按钮21);
  ASSERT_EQ(frame.clipboard.size(), 1u);
  EXPECT_EQ(frame.clipboard[0], "@delay:20@msg:好");
}

// Copying an empty box would throw away what the clipboard holds: nothing is copied, and a note
// at the button says so.
TEST(ScriptLineOutputBox, CopyOfAnEmptyBoxKeepsTheClipboardAndSaysSo) {
  FakeFrame frame(app::WindowDescriptions());
  frame.Click(按钮21);
  EXPECT_TRUE(frame.clipboard.empty());
  EXPECT_EQ(frame.notes,
            (std::vector<FakeFrame::Note>{{按钮21, "没有可复制的内容，剪贴板未改变"}}));
  frame.Click(按钮22);
  EXPECT_EQ(frame.Text(编辑框16), "");
}

TEST(ScriptLineOutputBox, ClearEmptiesOnlyTheScriptLineBox) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetText(编辑框16, "@delay:20");
  frame.SetText(编辑框15, "/vrnl reload");
  frame.Click(按钮22);
  EXPECT_EQ(frame.Text(编辑框16), "");
  EXPECT_EQ(frame.Text(编辑框15), "/vrnl reload");
}

TEST(CommandOutputBox, CopyAndClearWorkOnTheCommandBox) {
  FakeFrame frame(app::WindowDescriptions());
  frame.SetText(编辑框15, "/vrnl reload");
  frame.SetText(编辑框16, "@delay:20");
  frame.Click(按钮19);
  frame.Click(按钮20);
  frame.Click(按钮19);
  EXPECT_EQ(frame.clipboard, (std::vector<std::string>{"/vrnl reload"}));
  EXPECT_EQ(frame.notes,
            (std::vector<FakeFrame::Note>{{按钮19, "没有可复制的内容，剪贴板未改变"}}));
  EXPECT_EQ(frame.Text(编辑框16), "@delay:20");
}

TEST(ReferenceWindows, EachButtonOpensItsWindowModally) {
  const std::pair<ui::ControlId, ui::WindowId> cases[] = {{按钮5, kCommandListWindow},
                                                          {按钮14, kItemIllustrationWindow},
                                                          {按钮24, kConditionIllustrationWindow},
                                                          {按钮18, kDelayIllustrationWindow},
                                                          {按钮12, kExamplesWindow}};
  for (const auto& [button, window] : cases) {
    FakeFrame frame(app::WindowDescriptions());
    frame.Click(button);
    ASSERT_EQ(frame.openedWindows.size(), 1u);
    EXPECT_EQ(frame.openedWindows[0], std::make_pair(window, true));
  }
}

}  // namespace
