// The text prompt dialog: a modal one-line entry with a title, a prompt and the buttons
// "确认输入(&O)" and "取消(&C)".
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace ui {

// Control identifiers inside the dialog, for automation.
inline constexpr int kPromptTextId = 101;
inline constexpr int kPromptEntryId = 102;

// Shows the dialog modally over owner. The confirmed text (possibly empty), or nothing when the
// user cancelled or closed the dialog.
std::optional<std::wstring> AskTextDialog(HINSTANCE instance, HWND owner, std::wstring_view title,
                                          std::wstring_view prompt);

}  // namespace ui
