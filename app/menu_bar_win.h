// The main window's menu bar (app/menu_bar.h) as a Win32 menu, and its about box.
#pragma once

#include <windows.h>

namespace app::win {

// The commands of the bar's items other than the skins (app/skin_menu_win.h), 16 apart as the
// skins' are and above them.
inline constexpr UINT kHelpPageCommand = 0x1400;
inline constexpr UINT kAboutCommand = 0x1410;

// The menu bar, skin currentSkin checked in its skin list; nullptr when it could not be made.
HMENU CreateMenuBar(int currentSkin);

// The about box over owner, modal: the program's version, its build, and where the settings
// are kept.
void ShowAboutBox(HWND owner);

}  // namespace app::win
