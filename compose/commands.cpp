// Command output box actions and the reference windows (GBK texts).
#include "compose/commands.h"

#include "app/frame.h"

namespace compose {

using namespace app::ids;

// The four choosers compose their commands through text prompt dialogs; until those builders
// are wired, a click leaves the command output box as it is.
void ComposeScriptCommand() {}
void ComposeTriggerCommand() {}
void ComposeScriptLineCommand() {}
void ComposeOtherCommand() {}

void CopyCommand() {
  app::Frame().CopyToClipboard(app::ReadText(kMainWindow, 编辑框15));
}
void ClearCommand() {
  app::WriteText(kMainWindow, 编辑框15, "");
}

// Each reference window is modal: the handler returns when the user closes it.
void OpenCommandList() {
  app::Frame().OpenWindow(kCommandListWindow, true);
}
void OpenItemIllustration() {
  app::Frame().OpenWindow(kItemIllustrationWindow, true);
}
void OpenConditionIllustration() {
  app::Frame().OpenWindow(kConditionIllustrationWindow, true);
}
void OpenDelayIllustration() {
  app::Frame().OpenWindow(kDelayIllustrationWindow, true);
}
void OpenExamples() {
  app::Frame().OpenWindow(kExamplesWindow, true);
}

// The help page address is not settled yet, so the button opens nothing.
void OpenHelpPage() {}

}  // namespace compose
