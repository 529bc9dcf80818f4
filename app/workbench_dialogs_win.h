// What the workbench asks and tells about files: where to open or save a script, which recent one
// to open, whether to save changes, replace a file or how a file was read. Paths are UTF-8,
// names GBK, as the open script keeps them. Each shows a modal dialog over owner.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "compose/script_file.h"

namespace app::win {

// A script file to open, chosen in the system's dialog (in the scripts folder at first).
[[nodiscard]] std::optional<std::string> ChooseScriptToOpen(HWND owner);
// Where to save the script named name, chosen in the system's dialog, which asks itself before
// replacing a file.
[[nodiscard]] std::optional<std::string> ChooseWhereToSave(HWND owner, std::string_view name,
                                                           const std::string& currentPath);
// One of the recent scripts, from a menu under button.
[[nodiscard]] std::optional<std::string> ChooseRecentScript(HWND owner, HWND button,
                                                            const compose::RecentScripts& recent);

enum class UnsavedAnswer { kSave, kDiscard, kStay };
UnsavedAnswer AskAboutUnsavedChanges(HWND owner, std::string_view name);
[[nodiscard]] bool AskToReplace(HWND owner, const std::string& path);

// What was refused, or odd, about a file that was opened.
void TellFileProblems(HWND owner, const std::string& path,
                      std::span<const compose::FileProblem> problems);
void TellSaveFailed(HWND owner, const std::string& path);

// The file's name without its folder, for status lines and menus (UTF-16).
std::wstring FileNameOf(const std::string& path);

}  // namespace app::win
