// The about box's text.
#include "app/menu_bar.h"

namespace app {

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
