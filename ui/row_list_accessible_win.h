// What screen readers see of a row list: a list named by the list window's text whose children
// are its rows, each read by the name the list's owner gives it, selectable and focusable, and
// located where it is drawn. Rows are asked for only when a reader asks, so a list of ten
// thousand rows costs nothing until then. oleacc and oleaut32 are loaded on the first question.
#pragma once

#include <windows.h>

namespace ui::widgets {

// The answer to WM_GETOBJECT for OBJID_CLIENT of a row list (0 when oleacc is missing).
LRESULT AnswerRowListObject(HWND list, WPARAM wParam);

}  // namespace ui::widgets
