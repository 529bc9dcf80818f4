// The menu bar made from its description, and the about box.
#include "app/menu_bar_win.h"

#include <string>

#include "app/build_info.h"
#include "app/menu_bar.h"
#include "app/settings_win.h"
#include "app/skin_menu_win.h"
#include "base/text_win.h"

namespace app::win {
namespace {

// One of the bar's menus with its items; nullptr when it could not be made.
HMENU CreateDropDown(const Menu& menu, int currentSkin) {
  HMENU popup = CreatePopupMenu();
  if (popup == nullptr) return nullptr;
  for (const MenuItem& item : menu.items) {
    const bool appended = item.command == MenuCommand::kSkins
                              ? AppendSkinItems(popup, currentSkin)
                              : AppendMenuW(popup, MF_STRING, CommandOfMenuItem(item),
                                            base::WideFromGbk(item.text).c_str()) != FALSE;
    if (!appended) {
      DestroyMenu(popup);
      return nullptr;
    }
  }
  return popup;
}

}  // namespace

HMENU CreateMenuBar(int currentSkin) {
  HMENU bar = CreateMenu();
  if (bar == nullptr) return nullptr;
  for (const Menu& menu : kMenuBar) {
    HMENU popup = CreateDropDown(menu, currentSkin);
    // The bar owns each menu once it is appended and destroys it with itself.
    if (popup == nullptr || !AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                                         base::WideFromGbk(menu.title).c_str())) {
      if (popup != nullptr) DestroyMenu(popup);
      DestroyMenu(bar);
      return nullptr;
    }
  }
  return bar;
}

void ShowAboutBox(HWND owner) {
  const BuildInfo build{build::kArchitecture, build::kDate, build::kCommit};
  const std::string text = AboutText(build, base::GbkFromWide(SettingsPath()));
  MessageBoxW(owner, base::WideFromGbk(text).c_str(), L"关于", MB_OK | MB_ICONINFORMATION);
}

}  // namespace app::win
