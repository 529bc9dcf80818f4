// The settings text: what the program writes it reads back, and whatever else it finds (a
// damaged, foreign or hand-edited file) falls back to the defaults value by value.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace {

using app::Settings;
using app::WindowPosition;
using namespace std::string_literals;

TEST(Settings, WrittenTextReadsBackToTheSameValues) {
  const std::vector<app::ServerEntry> servers = {
      {"生存服", "mc.example.org", 25575, {0x01, 0x00, 0xFF, 0x7A}},
      {"", "192.168.1.20", 1, {}},
      {"名称=有等号", "::1", 65535, {0xAB}},
  };
  for (const Settings& settings :
       {Settings{}, Settings{1, WindowPosition{-1200, 35}}, Settings{34, WindowPosition{0, 0}},
        Settings{7, {}, servers, 1}, Settings{7, {}, servers, -1}}) {
    EXPECT_EQ(app::ParseSettings(app::FormatSettings(settings)), settings);
  }
  // The file byte for byte (GBK here; the file on disk is its UTF-8). Only the blob is written,
  // never anything else of the password.
  EXPECT_EQ(app::FormatSettings(Settings{}), "[composer]\r\nskin=7\r\n");
  EXPECT_EQ(app::FormatSettings(Settings{34, WindowPosition{-1200, 35}, servers, 1}),
            "[composer]\r\n"
            "skin=34\r\n"
            "main_window=-1200,35\r\n"
            "server.1.name=生存服\r\n"
            "server.1.host=mc.example.org\r\n"
            "server.1.port=25575\r\n"
            "server.1.password=0100FF7A\r\n"
            "server.2.name=\r\n"
            "server.2.host=192.168.1.20\r\n"
            "server.2.port=1\r\n"
            "server.3.name=名称=有等号\r\n"
            "server.3.host=::1\r\n"
            "server.3.port=65535\r\n"
            "server.3.password=AB\r\n"
            "current_server=2\r\n");
  // A line break in a name cannot start a line of its own.
  const Settings broken{7, {}, {{"a\r\nskin=3", "h", 25575, {}}}, 0};
  EXPECT_EQ(app::FormatSettings(broken),
            "[composer]\r\nskin=7\r\nserver.1.name=a  skin=3\r\nserver.1.host=h\r\n"
            "server.1.port=25575\r\ncurrent_server=1\r\n");
  EXPECT_EQ(app::ParseSettings(app::FormatSettings(broken)).skin, 7);
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

TEST(Settings, TemporaryFileNamesCarryTheProcessId) {
  EXPECT_EQ(app::TemporaryFileName(4242), "settings.ini.4242.tmp");
  EXPECT_EQ(app::TemporaryFileProcess("settings.ini.4242.tmp"), 4242u);
  EXPECT_EQ(app::TemporaryFileProcess("settings.ini.99999.tmp"), 99999u);
  for (const char* other :
       {"settings.ini", "settings.ini.tmp", "settings.ini..tmp", "settings.ini.12a.tmp",
        "settings.ini.-1.tmp", "settings.ini.+1.tmp", "settings.ini.1.tmp.bak",
        "Settings.ini.1.tmp", "settings.ini.99999999999999999999999.tmp", "help.html.1.tmp"}) {
    EXPECT_FALSE(app::TemporaryFileProcess(other)) << other;
  }
}

// The file answers each try with the next result of a script (then kWritten); the saver must
// write the newest settings, ask for quick retries only while the file is busy, and at exit keep
// trying within its patience.
TEST(SettingsSaver, NothingIsDroppedWhileTheFileIsBusy) {
  using app::SaveResult;
  using Delays = std::vector<std::optional<int>>;
  std::deque<SaveResult> script;
  std::vector<int> written;  // skins that reached the file
  int tries = 0;
  app::SettingsSaver saver([&](const Settings& settings) {
    ++tries;
    const SaveResult result = script.empty() ? SaveResult::kWritten : script.front();
    if (!script.empty()) script.pop_front();
    if (result == SaveResult::kWritten) written.push_back(settings.skin);
    return result;
  });
  auto run = [&](std::initializer_list<SaveResult> results, int skin, int retries) {
    script.assign(results);
    Delays delays{saver.Save(Settings{skin, {}})};
    for (int i = 0; i < retries; ++i) delays.push_back(saver.RetryPending());
    return delays;
  };

  // Free file: written at once, no timer.
  EXPECT_EQ(run({}, 3, 0), (Delays{std::nullopt}));
  EXPECT_EQ(written, (std::vector<int>{3}));
  // Busy: quick retries over about 200 ms, then twice a second until it lets go.
  using enum SaveResult;
  EXPECT_EQ(run({kBusy, kBusy, kBusy, kBusy, kBusy}, 4, 5),
            (Delays{25, 50, 100, 500, 500, std::nullopt}));
  EXPECT_EQ(written, (std::vector<int>{3, 4}));
  EXPECT_FALSE(saver.Pending());
  // A change while a save is pending: the newest settings are written, the old ones never.
  EXPECT_EQ(run({kBusy}, 5, 0), (Delays{25}));
  EXPECT_TRUE(saver.Pending());
  EXPECT_EQ(run({kBusy}, 6, 1), (Delays{25, std::nullopt}));
  EXPECT_EQ(written, (std::vector<int>{3, 4, 6}));
  // Any other failure waits for the next change or the exit, without a timer.
  EXPECT_EQ(run({kFailed}, 7, 0), (Delays{std::nullopt}));
  EXPECT_TRUE(saver.Pending());
  EXPECT_EQ(saver.RetryPending(), std::nullopt);  // a stray timer writes what is pending
  EXPECT_EQ(written.back(), 7);

  // At exit: busy tries go on within the patience, pausing in between.
  int paused = 0;
  const auto pause = [&](int ms) { paused += ms; };
  script.assign({kBusy, kBusy, kBusy});
  tries = 0;
  EXPECT_TRUE(saver.SaveAtExit(Settings{8, {}}, pause, 1000));
  EXPECT_EQ(tries, 4);
  EXPECT_EQ(paused, 3 * app::SettingsSaver::kExitRetryMs);
  EXPECT_EQ(written.back(), 8);
  // A file that stays busy is given up only when the patience is spent.
  script.assign(100, kBusy);
  paused = 0;
  EXPECT_FALSE(saver.SaveAtExit(Settings{9, {}}, pause, 1000));
  EXPECT_LE(paused, 1000);
  EXPECT_GE(paused, 1000 - app::SettingsSaver::kExitRetryMs);
  // The exit path coming by again tries once more without waiting all over again.
  paused = 0;
  tries = 0;
  EXPECT_FALSE(saver.FlushAtExit(pause, 1000));
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(paused, 0);
  // A hard failure at exit is tried once: no folder must not hold the exit up.
  script.assign({kFailed});
  paused = 0;
  EXPECT_FALSE(saver.FlushAtExit(pause, 1000));
  EXPECT_EQ(paused, 0);
  EXPECT_TRUE(saver.FlushAtExit(pause, 1000));  // the next try finds the file writable
  EXPECT_EQ(written.back(), 9);
  EXPECT_TRUE(saver.FlushAtExit(pause, 1000));  // nothing pending
}

// Servers are read by their number; one without a host is left out, and a bad port or password
// falls back alone.
TEST(Settings, ServersReadByNumberAndFallBackFieldByField) {
  struct Row {
    std::string text;
    std::string servers;  // "name@host:port/password bytes" joined by " | "
    int current;
  };
  const Row rows[] = {
      {"server.2.host=b\nserver.1.host=a\nserver.1.name=甲\ncurrent_server=2",
       "甲@a:25575/0 | @b:25575/0", 1},
      {"server.1.host= h \nserver.1.port=80\nserver.1.password=00ff", "@h:80/2", -1},
      {"server.1.host=h\nserver.1.port=0\nserver.1.password=0g", "@h:25575/0", -1},
      {"server.1.host=h\nserver.1.port=65536\nserver.1.password=abc", "@h:25575/0", -1},
      {"server.1.name=没有地址\nserver.2.host=h\ncurrent_server=1", "@h:25575/0", -1},
      {"server.17.host=h\nserver.0.host=h\nserver.x.host=h\nserver.1host=h", "", -1},
      {"server.16.host=h\ncurrent_server=16", "@h:25575/0", 0},
      {"server.1.host=h\ncurrent_server=3", "@h:25575/0", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const Settings settings = app::ParseSettings(row.text);
    std::string servers;
    for (const app::ServerEntry& server : settings.servers) {
      if (!servers.empty()) servers += " | ";
      servers += server.name + "@" + server.host + ":" + std::to_string(server.port) + "/" +
                 std::to_string(server.password.size());
    }
    EXPECT_EQ(servers, row.servers);
    EXPECT_EQ(settings.currentServer, row.current);
    EXPECT_EQ(app::CurrentServer(settings) != nullptr, row.current >= 0);
  }
}

}  // namespace
