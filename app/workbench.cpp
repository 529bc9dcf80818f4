// The workbench's commands, carried out by whatever the program installed.
#include "app/workbench.h"

namespace app {
namespace {

WorkbenchCommandRunner g_runner = nullptr;

}  // namespace

WorkbenchCommandRunner SetWorkbenchCommandRunner(WorkbenchCommandRunner runner) {
  const WorkbenchCommandRunner before = g_runner;
  g_runner = runner;
  return before;
}

void RunWorkbenchCommand(WorkbenchCommand command) {
  if (g_runner != nullptr) g_runner(command);
}

void OpenWorkbench() {
  RunWorkbenchCommand(WorkbenchCommand::kShow);
}

}  // namespace app
