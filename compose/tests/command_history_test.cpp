// The command history: the last 500 distinct commands, newest first; search that never matches
// inside a double-byte character; a file that keeps line breaks and backslashes exactly; and a
// damaged file that reads as an empty history.
#include "compose/command_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/script_file.h"
#include "compose/tests/gbk_test_codec.h"

namespace {

using compose::CommandHistory;
using compose::testing::kGbkCodec;
using namespace std::string_literals;

const std::string kBackslashTrail = "\x81\x5C";  // 乗: its trail byte is "\"
const std::string kSnowman =
    "\xFF"
    "2603";

TEST(CommandHistory, NewestFirstWithinTheLimit) {
  CommandHistory history;
  for (std::size_t i = 0; i < compose::kHistoryLimit + 100; ++i) {
    ASSERT_TRUE(history.Add("/vrnl info " + std::to_string(i)));
  }
  ASSERT_EQ(history.Entries().size(), compose::kHistoryLimit);
  EXPECT_EQ(history.Entries().front(), "/vrnl info 599");
  EXPECT_EQ(history.Entries().back(), "/vrnl info 100");
  EXPECT_TRUE(history.Add("/vrnl info 300"));  // copied again: moves up, no second entry
  EXPECT_EQ(history.Entries().size(), compose::kHistoryLimit);
  EXPECT_EQ(history.Entries()[0], "/vrnl info 300");
  EXPECT_EQ(history.Entries()[1], "/vrnl info 599");
  EXPECT_FALSE(history.Add(""));
  EXPECT_FALSE(history.Add(std::string(compose::kHistoryEntryLimit + 1, 'x')));
  EXPECT_TRUE(history.Add(std::string(compose::kHistoryEntryLimit, 'x')));
  EXPECT_TRUE(history.Remove(0));
  EXPECT_FALSE(history.Remove(compose::kHistoryLimit));
  EXPECT_EQ(history.Entries()[0], "/vrnl info 300");
}

TEST(CommandHistory, SearchBySubstring) {
  CommandHistory history;
  for (const std::string& command :
       {"/vrnl add a @msg:\\n"s, "/VRNL create b"s, "/papi ecloud download Player"s,
        "@msg:" + kBackslashTrail + "n"}) {
    history.Add(command);
  }
  const struct {
    std::string text;
    std::vector<std::size_t> found;
  } cases[] = {
      {"", {0, 1, 2, 3}},     {"vrnl", {2, 3}},  // ASCII letters either case
      {"PLAYER", {1}},        {"\\n", {3}},      // not the trail byte of 乗 and the "n" after it
      {kBackslashTrail, {0}}, {"点", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(history.Search(c.text), c.found) << c.text;
  }
}

TEST(CommandHistory, FileKeepsEveryEntryExactly) {
  CommandHistory history;
  const std::vector<std::string> entries = {
      "@msg:a\r\nb\rc\nd",
      "C:\\path\\n\\\\x",
      kBackslashTrail + "r" + kSnowman,
      "/vrnl add 签到 \\",
      " ",
  };
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) history.Add(*entry);
  const std::string file = compose::FormatHistory(history, kGbkCodec);
  EXPECT_EQ(file,
            "# Command composer: copied commands, newest first\r\n"
            "@msg:a\\r\\nb\\rc\\nd\r\n"
            "C:\\\\path\\\\n\\\\\\\\x\r\n"
            "\xE4\xB9\x97r\xE2\x98\x83\r\n"
            "/vrnl add \xE7\xAD\xBE\xE5\x88\xB0 \\\\\r\n"
            " \r\n");
  EXPECT_EQ(compose::ParseHistory(file, kGbkCodec).Entries(), entries);
}

TEST(CommandHistory, DamagedFilesReadAsEmpty) {
  const std::string header = "# Command composer: copied commands, newest first\r\n";
  EXPECT_EQ(compose::ParseHistory(header + "a\r\n\r\nb\\q\r\na\r\n", kGbkCodec).Entries(),
            (std::vector<std::string>{"a", "b\\q"}));  // a hand edit: kept where readable
  for (const std::string& bytes : {
           ""s,
           "a\r\nb"s,                                                // not our file
           header + "\xB5\xE3",                                      // not UTF-8
           header + "a\0b"s,                                         // not text
           header + std::string(compose::kMaxScriptFileBytes, 'x'),  // too large
       }) {
    EXPECT_TRUE(compose::ParseHistory(bytes, kGbkCodec).Entries().empty())
        << testing::PrintToString(bytes.substr(0, 80));
  }
}

}  // namespace
