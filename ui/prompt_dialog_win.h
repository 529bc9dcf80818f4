// The program's small modal dialogs: the text prompt (a one-line entry with a title, a prompt and
// the buttons "确认输入(&O)" and "取消(&C)") and the question with a button per answer.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ui {

// Control identifiers inside the dialog, for automation.
inline constexpr int kPromptTextId = 101;
inline constexpr int kPromptEntryId = 102;

// Shows the dialog modally over owner. The confirmed text (possibly empty), or nothing when the
// user cancelled or closed the dialog.
[[nodiscard]] std::optional<std::wstring> AskTextDialog(HINSTANCE instance, HWND owner,
                                                        std::wstring_view title,
                                                        std::wstring_view prompt);

// Asks a question modally over owner with one button per answer, left to right, the first the
// default for Enter; Esc and closing the dialog press answers[cancel]. Captions may mark access
// keys with "&". The index of the answer chosen.
inline constexpr int kChoiceTextId = 101;
inline constexpr int kFirstChoiceId = 201;  // the button of answer i is kFirstChoiceId + i
int AskChoiceDialog(HINSTANCE instance, HWND owner, std::wstring_view title,
                    std::wstring_view question, std::span<const std::wstring_view> answers,
                    int cancel);

}  // namespace ui
