// Notes: a short text in a balloon at a control, for an action that did nothing (what to do
// first, or why nothing changed). One note shows at a time. It goes after kNoteShowMs or at the
// next click or key press of the thread, never takes focus, activation or a click, and screen
// readers hear it: its window text is the note, and its showing is announced as an alert.
// Texts are GBK.
#pragma once

#include <windows.h>

#include <string_view>

namespace ui::widgets {

// The popup's window class, for automation that looks for a shown note.
inline constexpr wchar_t kNotePopupClass[] = L"ComposerNote";

inline constexpr UINT kNoteShowMs = 4000;

// Shows text at control, outside row (the screen rectangle of the control's row): above or below
// it on the side nearer the control, its stem pointing at the control. Replaces a note that is
// showing.
void ShowNote(HWND control, const RECT& row, std::string_view text);

// The popup of the note that is showing, or nullptr.
[[nodiscard]] HWND ShownNote();

}  // namespace ui::widgets
