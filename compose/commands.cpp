// Command choosers, the command output box's actions, the reference windows and the help page
// (GBK texts). The choosers' commands are rows of data; ComposeCommand walks any of them.
#include "compose/commands.h"

#include <string>
#include <vector>

#include "compose/builders.h"
#include "compose/command_table.h"
#include "compose/help_page.h"
#include "ui/frame.h"

namespace compose {

using namespace ui::ids;

namespace {

constexpr Question kScriptName{"请输入脚本名", "请输入脚本名"};
constexpr Question kPlayerName{"请输入玩家名", "请输入玩家名"};
// The prompt opens with a full-width parenthesis and closes with an ASCII one.
constexpr Question kPersonalCooldown{"请输入个人冷却时间",
                                     "请输入个人冷却时间（比如12小时是43199999秒)"};
constexpr Question kGlobalCooldown{"请输入全局冷却时间", "请输入全局冷却时间"};
constexpr Question kScriptLine{
    "请输入脚本行",
    "请输入脚本行，例如普通玩家指令执行的可以回城的脚本，加入脚本行即可: "
    "@command /spawn 请根据执行类指令生成窗口的指令输或者直接复制"};
constexpr Question kLineNumber{"请输入脚本行", "请输入脚本行数，例如:1、2、3"};

// 按钮1: create or delete a script. Nothing chosen appends the (never asked) empty name.
constexpr CommandStep kCreateSteps[] = {Set("/vrnl create "), Ask(kScriptName), AppendAnswers(1)};
constexpr CommandStep kDeleteSteps[] = {Set("/vrnl delete "), Ask(kScriptName), AppendAnswers(1)};
constexpr CommandStep kScriptOtherwise[] = {AppendAnswers(1)};
constexpr CommandRow kScriptRows[] = {
    {"创建一个Varnel脚本", kCreateSteps},
    {"删除一个Varnel脚本", kDeleteSteps},
};

// 按钮2: bind a trigger (name and two cooldowns), or run a script for a player. With nothing
// chosen the binding questions are still asked and their answers appended without a command.
constexpr CommandStep kClickSteps[] = {Set("/vrnl click "), Ask(kScriptName),
                                       Ask(kPersonalCooldown), Ask(kGlobalCooldown),
                                       AppendAnswers(3)};
constexpr CommandStep kWalkSteps[] = {Set("/vrnl walk "), Ask(kScriptName), Ask(kPersonalCooldown),
                                      Ask(kGlobalCooldown), AppendAnswers(3)};
constexpr CommandStep kBreakSteps[] = {Set("/vrnl break "), Ask(kScriptName),
                                       Ask(kPersonalCooldown), Ask(kGlobalCooldown),
                                       AppendAnswers(3)};
constexpr CommandStep kRunSteps[] = {Ask(kScriptName), Ask(kPlayerName),
                                     SetWithAnswers("/vrnl run ", 2)};
constexpr CommandStep kTriggerOtherwise[] = {Ask(kScriptName), Ask(kPersonalCooldown),
                                             Ask(kGlobalCooldown), AppendAnswers(3)};
constexpr CommandRow kTriggerRows[] = {
    {"点击触发", kClickSteps},
    {"行走触发", kWalkSteps},
    {"破坏触发", kBreakSteps},
    {"让指定玩家触发指定脚本", kRunSteps},
};

// 按钮3: add or delete a script line. Nothing chosen asks nothing and appends the space between
// the two empty answers.
constexpr CommandStep kAddLineSteps[] = {Set(kAddLineCommand), Ask(kScriptName), Ask(kScriptLine),
                                         AppendAnswers(2)};
constexpr CommandStep kDeleteLineSteps[] = {Set("/vrnl del "), Ask(kScriptName), Ask(kLineNumber),
                                            AppendAnswers(2)};
constexpr CommandStep kLineOtherwise[] = {AppendAnswers(2)};
constexpr CommandRow kLineRows[] = {
    {"向指定脚本增加脚本行", kAddLineSteps},
    {"删除指定脚本的脚本行", kDeleteLineSteps},
};

// 按钮4: other plugin and PlaceholderAPI commands. Only "/vrnl info " asks and keeps its space.
constexpr CommandStep kReloadSteps[] = {Set("/vrnl reload")};
constexpr CommandStep kPapiReloadSteps[] = {Set("/papi reload")};
constexpr CommandStep kHookListSteps[] = {Set("/placeholderapi list")};
constexpr CommandStep kInfoSteps[] = {Set("/vrnl info "), Ask(kScriptName), AppendAnswers(1)};
constexpr CommandStep kUnbindSteps[] = {Set("/vrnl unbind")};
constexpr CommandStep kVersionSteps[] = {Set("/placeholderapi")};
constexpr CommandStep kPlayerExpansionSteps[] = {Set("/papi ecloud download player")};
constexpr CommandStep kJavascriptExpansionSteps[] = {Set("/papi ecloud download javascript")};
constexpr CommandStep kServerExpansionSteps[] = {Set("/papi ecloud download Server")};
constexpr CommandStep kSoundExpansionSteps[] = {Set("/papi ecloud download Sound")};
constexpr CommandStep kBungeeExpansionSteps[] = {Set("/papi ecloud download Bungee")};
constexpr CommandStep kVaultExpansionSteps[] = {Set("/papi ecloud download vault")};
constexpr CommandRow kOtherRows[] = {
    {"重载脚本文件", kReloadSteps},
    {"重载占位符变量", kPapiReloadSteps},
    {"查询挂钩插件", kHookListSteps},
    {"查看指定脚本的内容", kInfoSteps},
    {"解绑指定方块上的所有触发", kUnbindSteps},
    {"查询PlaceholderAPI版本", kVersionSteps},
    {"下载占位符Player变量", kPlayerExpansionSteps},
    {"下载占位符javascript变量", kJavascriptExpansionSteps},
    {"下载占位符Server变量", kServerExpansionSteps},
    {"下载占位符Sound变量", kSoundExpansionSteps},
    {"下载占位符Bungee变量", kBungeeExpansionSteps},
    {"下载占位符vault变量", kVaultExpansionSteps},
};

constexpr Chooser kScriptChooser{按钮1, 组合框1, kScriptRows, kScriptOtherwise};
constexpr Chooser kTriggerChooser{按钮2, 组合框2, kTriggerRows, kTriggerOtherwise};
constexpr Chooser kLineChooser{按钮3, 组合框3, kLineRows, kLineOtherwise};
constexpr Chooser kOtherChooser{按钮4, 组合框4, kOtherRows, {}};
constexpr Chooser kChoosers[] = {kScriptChooser, kTriggerChooser, kLineChooser, kOtherChooser};

constexpr ui::ControlRef kCommandBox{kMainWindow, 编辑框15, ui::Kind::kEditBox};

std::string JoinAnswers(const std::vector<std::string>& answers, int count) {
  std::string joined;
  for (int i = 0; i < count; ++i) {
    if (i > 0) joined += ' ';
    if (static_cast<size_t>(i) < answers.size()) joined += answers[static_cast<size_t>(i)];
  }
  return joined;
}

}  // namespace

std::span<const Chooser> Choosers() {
  return kChoosers;
}

void ComposeCommand(const Chooser& chooser) {
  ui::FrameServices& frame = ui::Frame();
  const int index = ui::ReadNumber(kMainWindow, chooser.comboBox, ui::Property::kSelection);
  const std::string chosen =
      frame.ComboItemText({kMainWindow, chooser.comboBox, ui::Kind::kComboBox}, index);
  std::span<const CommandStep> steps = chooser.otherwise;
  for (const CommandRow& row : chooser.rows) {
    if (row.item == chosen) {
      steps = row.steps;
      break;
    }
  }
  std::vector<std::string> answers;
  for (const CommandStep& step : steps) {
    switch (step.kind) {
      case StepKind::kSet:
        ui::WriteText(kMainWindow, 编辑框15, step.literal);
        break;
      case StepKind::kAsk:
        answers.push_back(
            frame.AskText(step.question->title, step.question->prompt).value_or(std::string()));
        break;
      case StepKind::kAppendAnswers:
        frame.AppendToEditBox(kCommandBox, JoinAnswers(answers, step.answerCount),
                              ui::AppendedView::kAtNewText);
        break;
      case StepKind::kSetWithAnswers:
        ui::WriteText(kMainWindow, 编辑框15,
                      std::string(step.literal) + JoinAnswers(answers, step.answerCount));
        break;
    }
  }
}

void ComposeScriptCommand() {
  ComposeCommand(kScriptChooser);
}
void ComposeTriggerCommand() {
  ComposeCommand(kTriggerChooser);
}
void ComposeScriptLineCommand() {
  ComposeCommand(kLineChooser);
}
void ComposeOtherCommand() {
  ComposeCommand(kOtherChooser);
}

void CopyCommand() {
  CopyOutputBox(编辑框15, 按钮19);
}
void ClearCommand() {
  ui::WriteText(kMainWindow, 编辑框15, "");
}

// Each reference window is modal: the handler returns when the user closes it.
void OpenCommandList() {
  ui::Frame().OpenWindow(kCommandListWindow, true);
}
void OpenItemIllustration() {
  ui::Frame().OpenWindow(kItemIllustrationWindow, true);
}
void OpenConditionIllustration() {
  ui::Frame().OpenWindow(kConditionIllustrationWindow, true);
}
void OpenDelayIllustration() {
  ui::Frame().OpenWindow(kDelayIllustrationWindow, true);
}
void OpenExamples() {
  ui::Frame().OpenWindow(kExamplesWindow, true);
}

// Shown in the user's default browser, or the user is told where the page is.
void OpenHelpPage() {
  ShowHelpPage();
}

}  // namespace compose
