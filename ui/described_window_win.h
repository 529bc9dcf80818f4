// The part a top-level window of one of the program's own classes shares with the frame's
// windows when its controls come from a window description: the controls built from it and laid
// out at the window's DPI (again after WM_DPICHANGED), Tab and Shift+Tab through them row by row
// in reading order, Enter on a focused button, and Alt with a caption's access key ("&") to
// click that button or check box or to focus the input its label or frame names. The window's
// own state holds one and hands it the messages concerned.
#pragma once

#include <windows.h>

#include <unordered_map>
#include <vector>

#include "ui/description.h"
#include "ui/frame_win.h"

namespace ui::win {

class DescribedWindow {
 public:
  // Builds the controls of description inside hwnd, which was made at place, and keeps hwnd at
  // its monitor's DPI. False when a control could not be made.
  bool Build(HWND hwnd, const WindowDescription& description, const WindowPlace& place);

  HWND Hwnd() const { return hwnd_; }
  const WindowDescription& Description() const { return *description_; }
  int LayoutDpi() const { return layoutDpi_; }
  HWND Control(ControlId id) const;
  // The described control hwnd is, or nullptr for a window that is none of them.
  const Element* ElementOf(HWND control) const;

  // The window moved to a monitor of another DPI: its size and its controls follow.
  void OnDpiChanged(int dpi, const RECT& suggested);

  // Tab, Shift+Tab, Enter on a button and access keys, for a message of the window's thread.
  // True when the message was one of them and has been handled.
  bool TranslateNavigation(const MSG& msg);

  // The controls Tab visits now (shown and enabled), in order.
  std::vector<HWND> TabStops() const;
  // Focus as the keyboard gives it: an edit box keeps its text, the caret at its end.

 private:
  bool OnTab(bool backwards);
  bool OnAccessKey(char key);
  bool Activate(const Element& element);
  // The first tab stop inside a frame, or the input a label names.
  HWND TargetOf(const Element& element) const;

  HWND hwnd_ = nullptr;
  const WindowDescription* description_ = nullptr;
  std::unordered_map<ControlId, HWND> controls_;
  int layoutDpi_ = 96;
};

}  // namespace ui::win
