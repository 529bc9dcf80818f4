// The Windows side of sending to the game server: the remote-console client on its worker thread,
// the server window's password box (read into a buffer that is wiped, encrypted for the current
// Windows user, never copied to the clipboard), the yes/no box, the server window's list and the
// console log's window.
#pragma once

#include <windows.h>

#include "ui/ids.h"

namespace app::win {

// Installs the platform the server window, the send actions and the console log run on. Call
// once the settings are read (EnableMainWindowExtras does). Safe to call more than once.
void EnableServerConsole();

// Sets up the server window and the console log's window as the frame builds them: what their
// description does not say (the password box's look, the events of the list and the host box,
// the log shown in the view, the log's place beside the main window).
void OnServerWindowBuilt(ui::WindowId window, HWND hwnd);

// Closes the console log's window, if it is open: it goes with the main window.
void CloseConsoleLog();

}  // namespace app::win
