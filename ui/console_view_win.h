// The console log's view: the log's lines on the chat's dark ground, every answer in the colours
// and formats of its '§' codes drawn as the colour-code preview draws a message (the game's
// colours, each glyph with its shadow), headings, notes and problems in inks of their own. Whole
// lines are selected with the mouse or the keys (Shift extends, Ctrl+A takes all) and Ctrl+C
// copies them as shown, without codes. The view reads the log as it paints and keeps none of it,
// so a log of a million lines shows as quickly as one of ten. Texts are GBK.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "ui/console_log.h"
#include "ui/ids.h"

namespace ui {

inline constexpr wchar_t kConsoleViewClass[] = L"ComposerConsoleLog";

[[nodiscard]] bool RegisterConsoleViewClass();

// A view as a child of parent, at place (parent's client coordinates, the layout's DPI), its
// Win32 ID the control's identifier. It shows nothing until it is given a log. nullptr when it
// could not be made.
[[nodiscard]] HWND CreateConsoleView(HWND parent, ControlId id, const RECT& place, DWORD style);

// The log the view shows (nullptr: none). The view keeps the pointer, never a copy; the log must
// outlive it or be taken back first.
void ShowConsoleLogIn(HWND view, const ConsoleLog* log);

// The log changed (change is what Add said): the view's lines and selection move with it, and a
// view that showed the last line goes on showing it.
void OnConsoleLogChanged(HWND view, const ConsoleChange& change);

// The selected lines as Ctrl+C copies them (GBK); empty with nothing selected.
std::string SelectedConsoleText(HWND view);

// The first line shown and how many lines fit, for automation.
struct ConsoleViewport {
  std::size_t first = 0;
  std::size_t rows = 0;
};
ConsoleViewport ConsoleViewportOf(HWND view);

}  // namespace ui
