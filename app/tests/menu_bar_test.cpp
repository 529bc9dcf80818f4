// The menu bar's description and the about box's text.
#include "app/menu_bar.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace {

// The letter after the one "&" of a text (GBK: a lead byte's trail is never taken for one), or
// 0 when it has none or more than one.
char AccessKey(std::string_view text) {
  char key = 0;
  int marks = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x81) {
      ++i;
    } else if (text[i] == '&' && i + 1 < text.size()) {
      key = static_cast<char>(std::toupper(static_cast<unsigned char>(text[++i])));
      ++marks;
    }
  }
  return marks == 1 ? key : 0;
}

// Alt and a letter reach each menu, and a letter each item of an open menu: one key each, none
// taken twice on the bar or within a menu.
TEST(MenuBar, EveryMenuAndItemHasAnAccessKeyOfItsOwn) {
  std::set<char> onBar;
  for (const app::Menu& menu : app::kMenuBar) {
    const char key = AccessKey(menu.title);
    EXPECT_NE(key, 0) << menu.title;
    EXPECT_TRUE(onBar.insert(key).second) << menu.title;
    std::set<char> inMenu;
    for (const app::MenuItem& item : menu.items) {
      if (item.command == app::MenuCommand::kSkins) continue;  // 34 names: chosen by the arrows
      const char itemKey = AccessKey(item.text);
      EXPECT_NE(itemKey, 0) << item.text;
      EXPECT_TRUE(inMenu.insert(itemKey).second) << item.text;
    }
  }
}

TEST(AboutText, NamesTheVersionTheBuildAndWhereTheSettingsAreKept) {
  struct Row {
    app::BuildInfo build;
    std::string path;
    std::string expected;
  };
  const Row rows[] = {
      {{"i686", "2024-05-01", "0123456789"},
       "C:\\Users\\管理员\\AppData\\Roaming\\CommandComposer\\settings.ini",
       "岚式脚本方块编辑器v3.1（Varnel）\r\n\r\n版本：v3.1\r\n"
       "构建：i686（32 位），2024-05-01，提交 0123456789\r\n"
       "设置文件：C:\\Users\\管理员\\AppData\\Roaming\\CommandComposer\\settings.ini"},
      {{"x64", "2024-05-02", ""},
       "D:\\settings.ini",
       "岚式脚本方块编辑器v3.1（Varnel）\r\n\r\n版本：v3.1\r\n构建：x64（64 位），2024-05-02\r\n"
       "设置文件：D:\\settings.ini"},
      {{"x64", "2024-05-02", "abc"},
       "",
       "岚式脚本方块编辑器v3.1（Varnel）\r\n\r\n版本：v3.1\r\n构建：x64（64 位），2024-05-02，提交 "
       "abc\r\n"
       "设置文件：无（找不到应用数据文件夹，所选皮肤和窗口位置不会保存）"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(app::AboutText(row.build, row.path), row.expected) << row.path;
  }
}

}  // namespace
