// The menu bar's commands and the about box's text.
#include "app/menu_bar.h"

namespace app {

unsigned CommandOfMenuItem(const MenuItem& item) {
  unsigned command = kFirstItemCommand;
  for (const Menu& menu : kMenuBar) {
    for (const MenuItem& other : menu.items) {
      if (&other == &item) return command;
      command += kCommandStep;
    }
  }
  return 0;
}

const MenuItem* MenuItemOfCommand(unsigned command) {
  unsigned next = kFirstItemCommand;
  for (const Menu& menu : kMenuBar) {
    for (const MenuItem& item : menu.items) {
      if (next == command && item.command != MenuCommand::kSkins) return &item;
      next += kCommandStep;
    }
  }
  return nullptr;
}

std::string AboutText(const BuildInfo& build, std::string_view settingsPath) {
  std::string text = "岚式脚本方块编辑器v3.1（Varnel）\r\n\r\n版本：v3.1\r\n构建：";
  text += build.architecture;
  text += build.architecture == "i686" ? "（32 位）" : "（64 位）";
  text += "，";
  text += build.date;
  if (!build.commit.empty()) {
    text += "，提交 ";
    text += build.commit;
  }
  text += "\r\n设置文件：";
  if (settingsPath.empty()) {
    text += "无（找不到应用数据文件夹，所选皮肤和窗口位置不会保存）";
  } else {
    text += settingsPath;
  }
  return text;
}

}  // namespace app
