// Moving the focus by keyboard among a window's tab stops: the frame's windows and the windows of
// our own classes go from control to control the same way.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/ids.h"

namespace ui::win {

// The controls of order that are shown and enabled now, in order; controlOf finds each one.
std::vector<HWND> ShownTabStops(const std::vector<ControlId>& order,
                                const std::function<HWND(ControlId)>& controlOf);

// Focus arriving by keyboard leaves an edit box's text as it is, with the caret at its end.
void FocusByKeyboard(HWND control);

// Moves the focus from focus to the next of stops (the previous when backwards), round the end,
// or to the first (the last) when focus is none of them. A focus inside a stop (the edit box of a
// combo box) counts as that stop. False when there are no stops.
bool MoveFocusAmong(const std::vector<HWND>& stops, HWND focus, bool backwards);

}  // namespace ui::win
