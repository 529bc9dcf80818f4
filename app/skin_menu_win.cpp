// The skin submenu. Its 34 entries stand in two columns, so the menu stays on a small screen.
#include "app/skin_menu_win.h"

#include <string>

#include "base/text_win.h"
#include "skin/skins.h"

namespace app {
namespace {

constexpr UINT kCommandStep = SkinCommand(2) - SkinCommand(1);
constexpr int kEntriesPerColumn = (skin::kSkinCount + 1) / 2;

HMENU SkinSubmenu(HWND window) {
  HMENU system = GetSystemMenu(window, FALSE);
  if (system == nullptr) return nullptr;
  const int count = GetMenuItemCount(system);
  for (int i = 0; i < count; ++i) {
    HMENU submenu = GetSubMenu(system, i);
    if (submenu != nullptr && GetMenuItemID(submenu, 0) == SkinCommand(1)) return submenu;
  }
  return nullptr;
}

}  // namespace

int SkinOfCommand(WPARAM command) {
  const WPARAM id = command & 0xFFF0;
  if (id < kFirstSkinCommand || id > SkinCommand(skin::kSkinCount)) return 0;
  return static_cast<int>((id - kFirstSkinCommand) / kCommandStep) + 1;
}

bool AddSkinMenu(HWND window, int current) {
  HMENU system = GetSystemMenu(window, FALSE);
  if (system == nullptr || SkinSubmenu(window) != nullptr) return system != nullptr;
  HMENU skins = CreatePopupMenu();
  if (skins == nullptr) return false;
  for (int number = 1; number <= skin::kSkinCount; ++number) {
    const std::wstring label =
        std::to_wstring(number) + L"  " + base::WideFromGbk(skin::SkinName(number));
    UINT flags = MF_STRING;
    if (number > 1 && (number - 1) % kEntriesPerColumn == 0) flags |= MF_MENUBARBREAK;
    AppendMenuW(skins, flags, SkinCommand(number), label.c_str());
  }
  AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  // The system menu owns the submenu from here on and destroys it with the window.
  if (!AppendMenuW(system, MF_POPUP, reinterpret_cast<UINT_PTR>(skins), L"皮肤")) {
    DestroyMenu(skins);
    return false;
  }
  CheckSkinInMenu(window, current);
  return true;
}

void CheckSkinInMenu(HWND window, int number) {
  HMENU skins = SkinSubmenu(window);
  if (skins == nullptr) return;
  for (int other = 1; other <= skin::kSkinCount; ++other) {
    CheckMenuItem(skins, SkinCommand(other),
                  MF_BYCOMMAND | (other == number ? MF_CHECKED : MF_UNCHECKED));
  }
}

}  // namespace app
