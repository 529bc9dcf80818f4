// The "皮肤" submenu of a window's system menu: the catalogue's skins by name, the current one
// checked. Choosing one arrives as WM_SYSCOMMAND with the skin's command.
#pragma once

#include <windows.h>

namespace app {

// The system command of skin number (1 to 34). System commands keep their low four bits for the
// system, so the skins are 16 apart, below the system's own commands (0xF000 and up).
inline constexpr UINT kFirstSkinCommand = 0x1000;
inline constexpr UINT SkinCommand(int number) {
  return kFirstSkinCommand + 16 * static_cast<UINT>(number - 1);
}
// The skin number of a WM_SYSCOMMAND's wParam, or 0 when it is no skin's.
int SkinOfCommand(WPARAM command);

// Appends the submenu to window's system menu with skin current checked. False when the window
// has no system menu.
bool AddSkinMenu(HWND window, int current);

// Moves the check mark to skin number.
void CheckSkinInMenu(HWND window, int number);

}  // namespace app
