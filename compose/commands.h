// Handlers of the plugin and placeholder command choosers, the command output box's copy and
// clear buttons, the reference windows and the help page. GBK texts.
#pragma once

namespace compose {

// Choosers of page "脚本编辑" (按钮1 to 按钮4).
void ComposeScriptCommand();
void ComposeTriggerCommand();
void ComposeScriptLineCommand();
void ComposeOtherCommand();

// Command output box (按钮19, 按钮20).
void CopyCommand();
void ClearCommand();

// Reference and illustration windows, each opened modally (按钮5, 按钮14, 按钮24, 按钮18, 按钮12).
void OpenCommandList();
void OpenItemIllustration();
void OpenConditionIllustration();
void OpenDelayIllustration();
void OpenExamples();

// The composer's help page in the default browser (按钮25).
void OpenHelpPage();

}  // namespace compose
