// The skin list, in two menus of the main window: the "皮肤" submenu of its window menu and the
// "皮肤(&S)" menu of its menu bar. Both list the catalogue's skins by name, the current one
// checked, in two columns so they stay on a small screen. A pick from the menu bar arrives as
// WM_COMMAND; one from the window menu as WM_SYSCOMMAND on Windows and as WM_COMMAND under Wine.
#pragma once

#include <windows.h>

namespace app {

// The command of skin number (1 to 34). System commands keep their low four bits for the
// system, so the skins are 16 apart, below the system's own commands (0xF000 and up).
inline constexpr UINT kFirstSkinCommand = 0x1000;
inline constexpr UINT SkinCommand(int number) {
  return kFirstSkinCommand + 16 * static_cast<UINT>(number - 1);
}
// The skin number of a menu command (a WM_SYSCOMMAND's wParam, a WM_COMMAND's low word), or 0
// when it is no skin's.
int SkinOfCommand(WPARAM command);

// Appends an item for every skin to menu, skin current checked. False when one could not be
// appended.
[[nodiscard]] bool AppendSkinItems(HMENU menu, int current);

// Appends the submenu to window's system menu with skin current checked. False when the window
// has no system menu.
[[nodiscard]] bool AddSkinMenu(HWND window, int current);

// Moves the check mark to skin number in every skin list of window.
void CheckSkinInMenus(HWND window, int number);

}  // namespace app
