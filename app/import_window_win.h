// The workbench's import "导入脚本行": the admin pastes text, sees the rows it reads, takes the
// other reading where a split of glued lines is ambiguous, picks the script when the text holds
// commands of several, and imports. Modal over the workbench.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/workbench.h"
#include "compose/script_line.h"

namespace app::win {

inline constexpr wchar_t kImportClass[] = L"ComposerImport";

[[nodiscard]] bool RegisterImportClass();

struct ImportedRows {
  std::vector<compose::ScriptLine> lines;
  std::string name;  // the script the pasted commands named; empty when none did
};

// Shows the window over owner until the user imports or cancels; nothing when cancelled.
[[nodiscard]] std::optional<ImportedRows> RunImportWindow(HWND owner);

// While it is open: its keys (true when one was handled) and its buttons' commands.
[[nodiscard]] bool TranslateImportKeys(MSG& msg);
void RunImportCommand(WorkbenchCommand command);
// The open import window, or nullptr.
HWND ImportWindow();

}  // namespace app::win
