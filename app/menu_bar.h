// The main window's menu bar as data: its menus, in order, and what each item does; and the text
// of the about box. Texts are GBK; "&" marks an access key, which Alt and the letter reach.
#pragma once

#include <iterator>
#include <span>
#include <string>
#include <string_view>

#include "app/server_console.h"
#include "app/workbench.h"
#include "compose/commands.h"
#include "ui/description.h"

namespace app {

enum class MenuCommand {
  kSkins,  // stands for the catalogue's skins, one item each, by name
  kAbout,  // the about box, over the main window
  kRun,    // runs the item's handler
};

struct MenuItem {
  std::string_view text;  // "\t" and a shortcut after it stand at the item's right edge
  MenuCommand command = MenuCommand::kRun;
  ui::Handler handler = nullptr;
};

struct Menu {
  std::string_view title;
  std::span<const MenuItem> items;
};

inline constexpr MenuItem kScriptMenuItems[] = {
    {"脚本工作台(&W)\tCtrl+E", MenuCommand::kRun, &OpenWorkbench},
};
inline constexpr MenuItem kServerMenuItems[] = {
    {"发送指令框里的指令(&D)", MenuCommand::kRun, &SendCommandBox},
    {"控制台日志(&L)", MenuCommand::kRun, &OpenConsoleLog},
    {"服务器设置(&S)…", MenuCommand::kRun, &OpenServerSettings},
};
inline constexpr MenuItem kSkinMenuItems[] = {{"", MenuCommand::kSkins}};
inline constexpr MenuItem kHelpMenuItems[] = {
    {"使用帮助(&U)", MenuCommand::kRun, &compose::OpenHelpPage},
    {"关于(&A)", MenuCommand::kAbout},
};
inline constexpr Menu kMenuBar[] = {
    {"脚本(&J)", kScriptMenuItems},
    {"服务器(&V)", kServerMenuItems},
    {"皮肤(&S)", kSkinMenuItems},
    {"帮助(&H)", kHelpMenuItems},
};

// The place on the bar (from 0) of the menu that holds an item of command, or -1.
constexpr int MenuPosition(MenuCommand command) {
  for (int menu = 0; menu < static_cast<int>(std::size(kMenuBar)); ++menu) {
    for (const MenuItem& item : kMenuBar[menu].items) {
      if (item.command == command) return menu;
    }
  }
  return -1;
}
inline constexpr int kSkinMenuPosition = MenuPosition(MenuCommand::kSkins);

// The commands of the bar's items other than the skins (app/skin_menu_win.h): 16 apart, as
// system commands must be, in the bar's order, above the skins' and below the system's own.
inline constexpr unsigned kFirstItemCommand = 0x1400;
inline constexpr unsigned kCommandStep = 16;

// The item whose command a pick carries, or nullptr when it is none of the bar's (the skins
// have commands of their own).
const MenuItem* MenuItemOfCommand(unsigned command);
// The command of an item of kMenuBar.
unsigned CommandOfMenuItem(const MenuItem& item);

// What the about box says of the build it shows.
struct BuildInfo {
  std::string_view architecture;  // "i686" or "x64"
  std::string_view date;          // YYYY-MM-DD
  std::string_view commit;        // abbreviated, or empty when the build had none
};

// The about box's text: the program and its version, the build, and where the settings are kept
// (settingsPath, GBK; empty when there is no folder for them, so nothing is kept).
std::string AboutText(const BuildInfo& build, std::string_view settingsPath);

}  // namespace app
