// What the pieces of the frame share and nothing outside the frame uses: the state of each open
// window of the description and the routines one piece offers the others. The pieces: the windows
// and their modality (frame_windows_win.cpp), where they go and at which DPI
// (frame_placement_win.cpp), the keyboard (frame_keyboard_win.cpp), the services handlers use and
// start-up (frame_services_win.cpp), and the events and hooks (frame_events_win.cpp).
#pragma once

#include <windows.h>

#include <span>
#include <unordered_map>
#include <vector>

#include "ui/description.h"
#include "ui/frame_win.h"

namespace ui::win {

// One open window of the description, owned by its window (base::WindowState).
struct OpenWindowState {
  const WindowDescription* description = nullptr;
  HWND hwnd = nullptr;
  std::unordered_map<ControlId, HWND> controls;
  bool modal = false;
  std::vector<HWND> disabledWindows;  // what a modal window disabled, to enable again
  HWND previouslyActive = nullptr;
  int layoutDpi = 96;  // what the description's positions, sizes and fonts are scaled to
  bool menuBar = false;

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT OnNcCreate(HWND window, WPARAM wParam, LPARAM lParam);
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM wParam);
  LRESULT OnPrintClient(WPARAM wParam);
  LRESULT OnDpiChangedMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose();
  LRESULT OnDestroy();
  LRESULT OnNcDestroy();
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) const;
};

// ---- Windows and modality (frame_windows_win.cpp) ----

// The top-level window class; false when it could not be registered.
[[nodiscard]] bool RegisterTopLevelClass();
// The windows the program describes, given at start-up.
void SetWindowDescriptions(std::span<const WindowDescription> windows);
// The newest open window of a description, or nullptr.
OpenWindowState* FindOpenWindow(WindowId window);
// The state of one of our top-level windows, or nullptr.
OpenWindowState* OpenWindowOf(HWND hwnd);
bool IsOurTopLevel(HWND hwnd);
// The window a dialog belongs to: the active one of ours, else the newest open one.
HWND ActiveProgramWindow();
HWND ControlOf(const OpenWindowState& state, ControlId id);
// Builds, shows and focuses a window of the description; a modal one returns when it is closed.
bool OpenDescribedWindow(WindowId window, bool modal);

// ---- Placement and DPI (frame_placement_win.cpp) ----

RECT WorkAreaOf(HMONITOR monitor);
// The outer size of a described window at dpi, with the menu bar when it has one.
SIZE OuterSizeAt(const WindowDescription& description, int dpi, bool menuBar);
// The DPI a window's layout is made for: its monitor's, lowered as far as needed to fit.
int LayoutDpi(const WindowDescription& description, int dpi, const RECT& work, bool menuBar);
RECT CentredRect(SIZE size, const RECT& work);
void SetProgramIcons(HWND hwnd, int dpi);
void SetLayoutDpi(OpenWindowState& state, int dpi);
// The window moved to a monitor of another DPI: the system suggests where it goes.
void FollowDpiChange(OpenWindowState& state, int dpi, const RECT& suggested);

// ---- Keyboard (frame_keyboard_win.cpp) ----

// The message filter, the navigation keys and the dialog keys; true when msg was handled.
bool TranslateDialogKeys(MSG& msg);
// Puts the keyboard focus on the window's first tab stop.
void FocusFirst(const OpenWindowState& state);

// ---- Events and hooks (frame_events_win.cpp) ----

// Runs the handler bound to an event of a window (control 0) or of one of its controls.
void RaiseEvent(WindowId window, ControlId control, Handler handler);
void OnTimerTick(OpenWindowState& state, ControlId control);
// The menu bar maker's bar for a window, or nullptr.
HMENU MakeMenuBar(WindowId window);
void NotifyWindowBuilt(WindowId window, HWND hwnd);
// Tells the start observer a step of the start window (start) or nothing (another window).
void NotifyStart(bool start, StartStep step);

}  // namespace ui::win
