// The skin lists. Their 34 entries stand in two columns, so the menus stay on a small screen.
#include "app/skin_menu_win.h"

#include <string>

#include "base/text_win.h"
#include "skin/skins.h"

namespace app {
namespace {

constexpr UINT kCommandStep = SkinCommand(2) - SkinCommand(1);
constexpr int kEntriesPerColumn = (skin::kSkinCount + 1) / 2;

// The skin list among menu's submenus (one level down), or nullptr.
HMENU SkinListIn(HMENU menu) {
  if (menu == nullptr) return nullptr;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    HMENU submenu = GetSubMenu(menu, i);
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

bool AppendSkinItems(HMENU menu, int current) {
  for (int number = 1; number <= skin::kSkinCount; ++number) {
    const std::wstring label =
        std::to_wstring(number) + L"  " + base::WideFromGbk(skin::SkinName(number));
    UINT flags = MF_STRING | (number == current ? MF_CHECKED : MF_UNCHECKED);
    if (number > 1 && (number - 1) % kEntriesPerColumn == 0) flags |= MF_MENUBARBREAK;
    if (!AppendMenuW(menu, flags, SkinCommand(number), label.c_str())) return false;
  }
  return true;
}

bool AddSkinMenu(HWND window, int current) {
  HMENU system = GetSystemMenu(window, FALSE);
  if (system == nullptr || SkinListIn(system) != nullptr) return system != nullptr;
  HMENU skins = CreatePopupMenu();
  if (skins == nullptr) return false;
  if (!AppendSkinItems(skins, current)) {
    DestroyMenu(skins);
    return false;
  }
  AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  // The system menu owns the submenu from here on and destroys it with the window.
  if (!AppendMenuW(system, MF_POPUP, reinterpret_cast<UINT_PTR>(skins), L"皮肤")) {
    DestroyMenu(skins);
    return false;
  }
  return true;
}

void CheckSkinInMenus(HWND window, int number) {
  for (HMENU skins : {SkinListIn(GetSystemMenu(window, FALSE)), SkinListIn(GetMenu(window))}) {
    if (skins == nullptr) continue;
    for (int other = 1; other <= skin::kSkinCount; ++other) {
      CheckMenuItem(skins, SkinCommand(other),
                    MF_BYCOMMAND | (other == number ? MF_CHECKED : MF_UNCHECKED));
    }
  }
}

}  // namespace app
