// The main window's menu bar as data: its menus, in order, and what each item does; and the text
// of the about box. Texts are GBK; "&" marks an access key, which Alt and the letter reach.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace app {

enum class MenuCommand {
  kSkins,     // stands for the catalogue's skins, one item each, by name
  kHelpPage,  // the help page, as the button "岚式脚本方块插件帖子" opens it
  kAbout,     // the about box
};

struct MenuItem {
  std::string_view text;
  MenuCommand command;
};

struct Menu {
  std::string_view title;
  std::span<const MenuItem> items;
};

inline constexpr MenuItem kSkinMenuItems[] = {{"", MenuCommand::kSkins}};
inline constexpr MenuItem kHelpMenuItems[] = {
    {"使用帮助(&U)", MenuCommand::kHelpPage},
    {"关于(&A)", MenuCommand::kAbout},
};
inline constexpr Menu kMenuBar[] = {
    {"皮肤(&S)", kSkinMenuItems},
    {"帮助(&H)", kHelpMenuItems},
};

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
