// The main window's menu bar (app/menu_bar.h) as a Win32 menu, and its about box.
#pragma once

#include <windows.h>

namespace app::win {

// The menu bar, skin currentSkin checked in its skin list; nullptr when it could not be made.
HMENU CreateMenuBar(int currentSkin);

// The about box over owner, modal: the program's version, its build, and where the settings
// are kept.
void ShowAboutBox(HWND owner);

}  // namespace app::win
