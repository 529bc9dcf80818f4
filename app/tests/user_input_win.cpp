#include "app/tests/user_input_win.h"

#include <iterator>

namespace testing_support {
namespace {

// Each event is given time to arrive before the next, as a hand would.
void Key(WORD key, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
  Sleep(40);
}

// A mouse event at a point on the screen. Button events carry the point too: under Wine a press
// without one can come at the place of the press before.
void Mouse(POINT at, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

void Chord(std::initializer_list<WORD> keys) {
  for (WORD key : keys) Key(key, true);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) Key(*it, false);
  Sleep(80);
}

void Tap(WORD key, int times) {
  for (int i = 0; i < times; ++i) Chord({key});
}

void MoveTo(POINT at) {
  Mouse(at, 0);
  Sleep(100);
}

void Click(POINT at) {
  MoveTo(at);
  Mouse(at, MOUSEEVENTF_LEFTDOWN);
  Sleep(60);
  Mouse(at, MOUSEEVENTF_LEFTUP);
  Sleep(120);
}

POINT Centre(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace testing_support
