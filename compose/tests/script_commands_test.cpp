// The script's commands byte for byte, and pasted text read back into rows: one line a row, add
// and create commands with their names, glued lines with the splits that may be one line, and
// whatever cannot be read kept as it was.
#include "compose/script_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using compose::PastedScript;

const std::string kDian = "\xB5\xE3";  // 点
// 乗 (0x81 0x5C): its trail byte is "\".
const std::string kBackslashTrail = "\x81\x5C";
const std::string kSnowman =
    "\xFF"
    "2603";

std::vector<compose::ScriptLine> Lines(const std::vector<std::string>& texts) {
  std::vector<compose::ScriptLine> lines;
  for (const std::string& text : texts) lines.push_back(compose::ParseScriptLine(text));
  return lines;
}

// Each row as "<script>:" when it came from a command, "~" when glued and ambiguous, "+" when
// glued only, then its line.
std::vector<std::string> Rows(const PastedScript& pasted) {
  std::vector<std::string> rows;
  for (const compose::PastedRow& row : pasted.rows) {
    std::string text = row.script >= 0 ? std::to_string(row.script) + ":" : "";
    text += row.ambiguous ? "~" : row.glued ? "+" : "";
    rows.push_back(text + row.line);
  }
  return rows;
}

TEST(ScriptCommands, BlockByteForByte) {
  const std::vector<compose::ScriptLine> rows =
      Lines({"@command /spawn", "$cost:100 &c金币不足" + kSnowman, "", "hello"});
  const std::string name = "签到";
  EXPECT_EQ(compose::CommandBlock(compose::ScriptCommands(name, rows, true)),
            "/vrnl create 签到\r\n"
            "/vrnl add 签到 @command /spawn\r\n"
            "/vrnl add 签到 $cost:100 &c金币不足" +
                kSnowman +
                "\r\n"
                "/vrnl add 签到 \r\n"
                "/vrnl add 签到 hello");
  EXPECT_EQ(compose::CommandBlock(compose::ScriptCommands(name, rows, false)),
            "/vrnl add 签到 @command /spawn\r\n"
            "/vrnl add 签到 $cost:100 &c金币不足" +
                kSnowman +
                "\r\n"
                "/vrnl add 签到 \r\n"
                "/vrnl add 签到 hello");
  EXPECT_EQ(compose::CommandBlock(compose::ScriptCommands(name, {}, true)), "/vrnl create 签到");
  EXPECT_EQ(compose::CommandBlock(compose::ScriptCommands(name, {}, false)), "");
  EXPECT_EQ(compose::AddCommand("a", "@delay:20"), "/vrnl add a @delay:20");
}

TEST(ScriptCommands, CommandsOverTheChatLimitAreMarked) {
  // "/vrnl add s " is 12 characters; the game counts a double-byte character as one.
  const std::string fits = "@msg:" + std::string(239, 'x');
  const std::string over = "@msg:" + std::string(240, 'x');
  std::string wide = "@msg:";
  for (int i = 0; i < 239; ++i) wide += kDian;
  const auto commands = compose::ScriptCommands("s", Lines({fits, over, wide}), true);
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_FALSE(commands[0].tooLongForChat);
  EXPECT_FALSE(commands[1].tooLongForChat);
  EXPECT_TRUE(commands[2].tooLongForChat);
  EXPECT_FALSE(commands[3].tooLongForChat);
}

TEST(ScriptCommands, NameProblems) {
  EXPECT_EQ(compose::ScriptNameProblem("每日签到"), "");
  EXPECT_NE(compose::ScriptNameProblem(""), "");
  EXPECT_NE(compose::ScriptNameProblem("a b"), "");
  EXPECT_NE(compose::ScriptNameProblem("a\nb"), "");
}

TEST(ReadPastedText, TableOfTexts) {
  const struct {
    std::string text;
    std::vector<std::string> rows;
    std::vector<std::string> names;
  } cases[] = {
      {"", {}, {}},
      {"\r\n\n\r", {}, {}},
      // One line a row, whatever separates them; a trailing line break makes no row.
      {"@msg:a\r\n@msg:b\nc\rd\r\n", {"@msg:a", "@msg:b", "c", "d"}, {}},
      {"  spaces stay  \n\t", {"  spaces stay  ", "\t"}, {}},
      // The builders' glued lines: a split after a command or message may be one line; one
      // after a number or a node cannot.
      {"$cost:100 &c金币不足100，无法领取@console give %player% diamond 5",
       {"$cost:100 &c金币不足100，无法领取", "~@console give %player% diamond 5"},
       {}},
      {"@command /spawn@command /spawn", {"@command /spawn", "~@command /spawn"}, {}},
      {"@title:A##B##10##60##10@msg:x$cost:1@perm:a.b@delay:20",
       {"@title:A##B##10##60##10", "+@msg:x", "~$cost:1", "+@perm:a.b", "+@delay:20"},
       {}},
      {"@msg:使用 @command /home 回家", {"@msg:使用 ", "~@command /home 回家"}, {}},
      {"text before@delay:20", {"text before", "~@delay:20"}, {}},
      // A literal that starts on a trail byte is none.
      {"@msg:" + kBackslashTrail + "@msg:" + kDian,
       {"@msg:" + kBackslashTrail, "~@msg:" + kDian},
       {}},
      {"@msg:\x81@msg:x", {"@msg:\x81@msg:x"}, {}},
      // Add commands: the line is one row as the plugin stores it; names in order.
      {"/vrnl create 签到\r\n/vrnl add 签到 @msg:a@msg:b\r\nvrnl add 签到 @delay:20\r\n"
       "  /VRNL ADD other $cost:1\r\n/vrnl add 签到 ",
       {"0:@msg:a@msg:b", "0:@delay:20", "1:$cost:1", "0:"},
       {"签到", "other"}},
      // Commands without their parts, other commands and anything else stay as rows.
      {"/vrnl add 签到\n/vrnl add  x\n/vrnl create\n/vrnl create a b\n/vrnl delete 签到\n/spawn",
       {"/vrnl add 签到", "/vrnl add  x", "/vrnl create", "/vrnl create a b", "/vrnl delete 签到",
        "/spawn"},
       {}},
      {std::string("\xFF\x01\x7F bin\xFE", 8), {std::string("\xFF\x01\x7F bin\xFE", 8)}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    const PastedScript pasted = compose::ReadPastedText(c.text);
    EXPECT_EQ(Rows(pasted), c.rows);
    EXPECT_EQ(pasted.names, c.names);
  }
}

TEST(ReadPastedText, ChoosingTheOneLineReading) {
  PastedScript pasted =
      compose::ReadPastedText("@msg:a @command x @console y\n@msg:b@title:A##B##1##2##3");
  ASSERT_EQ(Rows(pasted), (std::vector<std::string>{"@msg:a ", "~@command x ", "~@console y",
                                                    "@msg:b", "~@title:A##B##1##2##3"}));
  EXPECT_FALSE(compose::JoinWithPrevious(pasted, 0));
  EXPECT_FALSE(compose::JoinWithPrevious(pasted, 3));
  EXPECT_FALSE(compose::JoinWithPrevious(pasted, 5));
  EXPECT_TRUE(compose::JoinWithPrevious(pasted, 1));
  EXPECT_TRUE(compose::JoinWithPrevious(pasted, 1));
  EXPECT_TRUE(compose::JoinWithPrevious(pasted, 2));
  EXPECT_EQ(Rows(pasted), (std::vector<std::string>{"@msg:a @command x @console y",
                                                    "@msg:b@title:A##B##1##2##3"}));
  EXPECT_EQ(compose::PastedLines(pasted)[1].directive, compose::Directive::kMessage);
}

TEST(ReadPastedText, KeepingOneScriptOfSeveral) {
  PastedScript pasted =
      compose::ReadPastedText("/vrnl add a @msg:1\n@msg:loose\n/vrnl add b @msg:2\n/vrnl add a x");
  compose::KeepScript(pasted, 1);
  EXPECT_EQ(Rows(pasted), (std::vector<std::string>{"@msg:loose", "0:@msg:2"}));
  EXPECT_EQ(pasted.names, std::vector<std::string>{"b"});
}

// What the workbench exports comes back as the same script.
TEST(ReadPastedText, ExportedBlockComesBack) {
  const std::vector<compose::ScriptLine> rows =
      Lines({"@msg:使用 @command /home", "$item:57#####点 券 100 x", "", kSnowman, "@delay:20"});
  const PastedScript pasted =
      compose::ReadPastedText(compose::CommandBlock(compose::ScriptCommands("名", rows, true)));
  EXPECT_EQ(pasted.names, std::vector<std::string>{"名"});
  EXPECT_EQ(compose::PastedLines(pasted), rows);
}

}  // namespace
