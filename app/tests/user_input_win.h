// Input as a user gives it, through SendInput: keys and clicks go where the system sends real
// ones (the foreground window, the window under the pointer), whichever process sends them.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace testing_support {

// Presses the keys in turn, holding each, then lets them go in reverse order: {VK_MENU, 'S'} is
// Alt+S.
void Chord(std::initializer_list<WORD> keys);
// Presses and lets go of one key, times times.
void Tap(WORD key, int times = 1);

// Moves the pointer to a point on the screen.
void MoveTo(POINT at);
// Moves there and clicks the left button.
void Click(POINT at);

POINT Centre(const RECT& rect);

}  // namespace testing_support
