// The script workbench "脚本工作台": the open script as a list of rows (each its number, its
// directive in words, the checker's notes and its line with the chat texts in their colours),
// a form to edit the selected row by its fields or as a whole line, moving, duplicating,
// deleting, undo and redo, the commands that create the script, its files, and the commands
// copied so far. One at a time and modeless, drawn in the skin and laid out at its DPI like
// every window, usable from the keyboard alone.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "compose/script_commands.h"

namespace app::win {

inline constexpr wchar_t kWorkbenchClass[] = L"ComposerWorkbench";

// Registers the workbench's window classes, takes its commands and keys (and the program's
// Ctrl+E, which opens it) and gives the open script the program's files. Call once after the
// frame is initialised. False when a class could not be registered.
[[nodiscard]] bool EnableWorkbench();

// Opens the workbench, or brings the open one to the front; nullptr when it could not be made.
HWND ShowWorkbench();
// The open workbench, or nullptr.
HWND Workbench();
// Closes the workbench as the user would: with unsaved changes it asks first. False when the
// user chose to stay (the workbench is then still open).
[[nodiscard]] bool CloseWorkbench();
// Closes it without asking (the program is ending).
void DestroyWorkbench();

// The commands "生成全部指令" copies, as the open workbench makes them now (its create box
// included); nothing, and a note at the name, when the script's name does not fit the commands or
// no workbench is open. For a button beside 按钮15 that sends them to the server.
[[nodiscard]] std::optional<std::vector<compose::ScriptCommand>> WorkbenchCommands();

}  // namespace app::win
