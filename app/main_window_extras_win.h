// What the main window adds beyond its description: the colour-code preview over the message
// inputs and output boxes, its menu bar, the skin submenu of its system menu, the settings it
// remembers between runs (the skin, its place and the game servers), and the script workbench
// beside it.
#pragma once

#include <windows.h>

namespace app::win {

// Reads the settings, so that the main window's creation applies the remembered skin, has every
// main window the frame builds set up, the server window and console log with it, and enables
// the workbench (its files in the settings' folder). Call after InitializeFrame, before the main
// window is built. False when the preview's or the workbench's window classes could not be
// registered.
[[nodiscard]] bool EnableMainWindowExtras();

// Applies skin number (1 to 34) to every window of the program, checks it in the main window's
// skin menus and remembers it. Other numbers do nothing.
void ChooseSkin(int number);

}  // namespace app::win
