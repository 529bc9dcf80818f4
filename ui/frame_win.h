// The Win32 application frame: start-up initialisation, building and showing the windows of the
// description, routing control events to handlers, the services handlers use, the message loop,
// normal termination and the run-time error box.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>
#include <vector>

#include "ui/description.h"
#include "ui/frame.h"
#include "ui/navigation.h"

namespace ui::win {

// Start-up initialisation: process heap, the program's folder as current directory, control
// classes, the error box and the frame services. OLE and the hidden window that owns the
// clipboard's content wait until something first needs them. Safe to call more than once.
[[nodiscard]] bool InitializeFrame(std::span<const WindowDescription> windows);

// Builds the start window from its description, raises its creation-complete event and shows
// it (not modal). nullptr when it could not be built.
[[nodiscard]] HWND ShowStartWindow(WindowId window);

// The handle of a control of an open window, or nullptr.
[[nodiscard]] HWND FindControl(WindowId window, ControlId control);

// The group box framing the row a control of an open window belongs to (see RowFrame), or
// nullptr when it has none or is no control of ours.
[[nodiscard]] HWND RowFrameOf(HWND control);
// The screen rectangle of a control's row: its row frame's, else the control's own. Popups that
// help with the control keep out of it.
RECT RowOnScreen(HWND control);

// Dispatches messages until the last of the program's windows is destroyed; returns the quit
// code.
int RunMessageLoop();

// What the frame's message loop does with a key message before dispatching it: the program's
// navigation keys, then the dialog keys. True when the message was handled and must not be
// dispatched. For loops of other programs built on the frame (tests).
[[nodiscard]] bool TranslateProgramKeys(MSG& msg);

// Normal termination: runs the exit routines and ends the process with exit code 0.
[[noreturn]] void TerminateNormally();

// The Enter keys of a window: Enter in one of the inputs runs its button's click handler without
// moving the focus. Replaces what was set before.
void SetEnterKeys(WindowId window, std::vector<EnterKey> keys);

// Called first with each message the frame's loops take (and with each TranslateProgramKeys is
// given), before the program's navigation keys: windows of the program's own classes and the
// program's accelerators take their keys there. True when it handled the message, which is then
// neither translated nor dispatched. nullptr removes it.
using MessageFilter = bool (*)(MSG& msg);
void SetMessageFilter(MessageFilter filter);

// For top-level windows of the program's own classes laid out from a description, so that they
// open, scale and look as the frame's own windows do: the frame's window style, where a new
// window opens and the DPI its layout is made for (centred on the primary monitor's work area at
// the system's DPI, shrunk as far as needed to fit), where it goes and at which layout DPI when it
// is at dpi around a rectangle (after WM_DPICHANGED, or when it opened on another monitor), the
// window's own DPI, and the program's icons and the layout DPI the skin engine draws it at.
DWORD TopLevelStyle();
DWORD TopLevelExStyle();
struct WindowPlace {
  RECT rect;      // outer rectangle on the screen
  int dpi;        // of the monitor it is meant for
  int layoutDpi;  // what the description's positions, sizes and fonts are scaled to
};
WindowPlace PlaceNewWindow(const WindowDescription& description);
WindowPlace PlaceWindowAtDpi(const WindowDescription& description, int dpi, const RECT& around);
int DpiOfWindow(HWND hwnd);
void SetWindowDpiLook(HWND hwnd, const WindowDescription& description, const WindowPlace& place);

// Called just before the frame runs a bound handler: window creation complete (control 0), a
// click, a timer tick. For tests and diagnostics; nullptr removes it.
using EventObserver = void (*)(WindowId window, ControlId control);
void SetEventObserver(EventObserver observer);

// Called for each window the frame builds, after its creation-complete event and before it is
// shown: the program adds there what the description does not hold. nullptr removes it.
using WindowBuiltHook = void (*)(WindowId window, HWND hwnd);
void SetWindowBuiltHook(WindowBuiltHook hook);

// Makes the menu bar of a window the frame is about to build, or returns nullptr for none; the
// window owns the bar from then on. The frame makes a window with a bar taller by the bar's
// height, so its client area and every control keep their described places and sizes. nullptr
// removes it.
using MenuBarMaker = HMENU (*)(WindowId window);
void SetMenuBarMaker(MenuBarMaker maker);

// Called as the start window comes up: built (its creation handler has run), shown, and through
// its first paint. For measuring start-up; nullptr removes it.
enum class StartStep { kBuilt, kShown, kFirstPaint };
using StartObserver = void (*)(StartStep step);
void SetStartObserver(StartObserver observer);

}  // namespace ui::win
