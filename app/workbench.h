// The script workbench's commands. Each button of its description is bound to one, and its keys
// and the menu run the same ones. The Windows side installs what carries them out; until then
// (and in the native tests) a command does nothing.
#pragma once

#include <cstdint>

namespace app {

enum class WorkbenchCommand : std::uint8_t {
  kShow,  // opens the workbench, or brings it to the front
  kNew,
  kOpen,
  kRecent,
  kSave,
  kSaveAs,
  kImport,
  kMoveUp,
  kMoveDown,
  kDuplicate,
  kDelete,
  kUndo,
  kRedo,
  kApplyEdit,
  kDiscardEdit,
  kExportAll,
  kCopyCommand,
  kSendAll,           // the exported block to the game server, a command a line
  kSendHistoryEntry,  // the history's selected command to the game server
  // The import window's.
  kJoinRow,
  kSplitRow,
  kImportRows,
  kCancelImport,
};

using WorkbenchCommandRunner = void (*)(WorkbenchCommand command);
// Installs the runner (nullptr: none) and returns the one before.
WorkbenchCommandRunner SetWorkbenchCommandRunner(WorkbenchCommandRunner runner);
void RunWorkbenchCommand(WorkbenchCommand command);

// A parameterless handler for a description's event table.
template <WorkbenchCommand command>
void RunCommand() {
  RunWorkbenchCommand(command);
}

// "脚本" → "脚本工作台" (Ctrl+E) and the main window's button 按钮26: opens the workbench, or
// brings it to the front when it is open.
void OpenWorkbench();

}  // namespace app
