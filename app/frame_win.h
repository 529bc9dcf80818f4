// The Win32 application frame: start-up initialisation, building and showing the windows of the
// description, routing control events to handlers, the services handlers use, the message loop,
// normal termination and the run-time error box.
#pragma once

#include <windows.h>

#include <string_view>

#include "app/frame.h"

namespace app::win {

// Start-up initialisation: process heap, OLE for this thread, the program's folder as current
// directory, control classes, the hidden owner window, the error box and the frame services.
// Safe to call more than once.
bool InitializeFrame(HINSTANCE instance);

// Builds the start window from its description, raises its creation-complete event and shows
// it (not modal). nullptr when it could not be built.
HWND ShowStartWindow(WindowId window);

// The handle of a control of an open window, or nullptr.
HWND FindControl(WindowId window, ControlId control);

// Dispatches messages until the last of the program's windows is destroyed; returns the quit
// code.
int RunMessageLoop();

// Normal termination: runs the exit routines, releases the libraries loaded for declared
// external functions and ends the process with exit code 0.
[[noreturn]] void TerminateNormally();

// The run-time error box: shows the error and ends the process with exit code -1.
[[noreturn]] void ShowRuntimeErrorAndExit(int number, std::string_view message);

// Called just before the frame runs a bound handler: window creation complete (control 0), a
// click, a timer tick. For tests and diagnostics; nullptr removes it.
using EventObserver = void (*)(WindowId window, ControlId control);
void SetEventObserver(EventObserver observer);

// Called for each window the frame builds, after its creation-complete event and before it is
// shown: the program adds there what the description does not hold. nullptr removes it.
using WindowBuiltHook = void (*)(WindowId window, HWND hwnd);
void SetWindowBuiltHook(WindowBuiltHook hook);

}  // namespace app::win
