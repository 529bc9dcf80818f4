// The settings text: what the program writes it reads back, and whatever else it finds (a
// damaged, foreign or hand-edited file) falls back to the defaults value by value.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using app::Settings;
using app::WindowPosition;
using namespace std::string_literals;

TEST(Settings, WrittenTextReadsBackToTheSameValues) {
  for (const Settings& settings :
       {Settings{}, Settings{1, WindowPosition{-1200, 35}}, Settings{34, WindowPosition{0, 0}}}) {
    EXPECT_EQ(app::ParseSettings(app::FormatSettings(settings)), settings);
  }
}

TEST(Settings, AnythingUnreadableKeepsTheDefault) {
  struct Row {
    std::string text;
    int skin;
    std::optional<WindowPosition> position;
  };
  const Row rows[] = {
      {"", 7, {}},
      {"skin=12", 12, {}},
      {"[composer]\n  skin = 3 \r\n;skin=4\n#skin=5\nmain_window= 10 , -20\r\n", 3,
       WindowPosition{10, -20}},
      {"skin=0", 7, {}},
      {"skin=35", 7, {}},
      {"skin=7x", 7, {}},
      {"skin=-1", 7, {}},
      {"skin=99999999999999999999", 7, {}},
      {"skin=", 7, {}},
      {"skin", 7, {}},
      {"Skin=9", 7, {}},
      {"skin=9\nskin=bad", 9, {}},
      {"main_window=10", 7, {}},
      {"main_window=10,", 7, {}},
      {"main_window=1,2,3", 7, {}},
      {"main_window=200000,0", 7, {}},
      {"skin=2\n\0\xFF\xFE garbage\nmain_window=5,6"s, 2, WindowPosition{5, 6}},
      {"\xEF\xBB\xBFskin=8\nskin=5", 5, {}},  // a byte-order mark spoils only its own line
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const Settings settings = app::ParseSettings(row.text);
    EXPECT_EQ(settings.skin, row.skin);
    EXPECT_EQ(settings.mainWindow, row.position);
  }
}

}  // namespace
