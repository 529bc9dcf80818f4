// The line checker against what the plugin and the game would do with each directive: numbers,
// operators, required parts, colour codes in texts players read (hex ones noted, broken ones
// flagged), the chat's 256 characters counted as the game counts them, glued lines of the
// output box and the script line inside an add command.
#include "compose/line_checker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using compose::LineNote;
using compose::NoteKind;

const std::string kDian = "\xB5\xE3";  // 点
const std::string kSnowman =
    "\xFF"
    "2603";

// Notes as "<kind>@<column>", joined by spaces.
std::string Notes(const std::vector<LineNote>& notes) {
  std::string out;
  for (const LineNote& note : notes) {
    if (!out.empty()) out += ' ';
    switch (note.kind) {
      case NoteKind::kMissingPart:
        out += "missing";
        break;
      case NoteKind::kNotANumber:
        out += "number";
        break;
      case NoteKind::kBadOperator:
        out += "operator";
        break;
      case NoteKind::kColourCode:
        out += "colour";
        break;
      case NoteKind::kHexColour:
        out += "hex";
        break;
      case NoteKind::kTooLongForChat:
        out += "long";
        break;
    }
    out += "@" + std::to_string(note.column);
    if (note.message.empty()) out += "(no message)";
  }
  return out;
}

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(CheckScriptLine, TableOfLines) {
  const struct {
    std::string line;
    std::string notes;
  } rows[] = {
      {"@bypass /give %player% 264 1", ""},
      {"@bypass ", "missing@9"},
      {"@command   ", "missing@10"},
      {"@console /say &z", ""},  // a command is no chat text
      // $cost: a number, decimals allowed; the message is chat text.
      {"$cost:100 &c钱不够", ""},
      {"$cost:10.5", ""},
      {"$cost:abc x", "number@7"},
      {"$cost:100元 x", "number@7"},
      {"$cost:1.2.3", "number@7"},
      {"$cost:-5 x", "number@7"},
      {"$cost:", "missing@7"},
      {"$cost: 100", "missing@7"},
      {"$cost:100 &z钱&", "colour@11 colour@14"},
      {"@msg:", "missing@6"},
      {"@msg:&l&cA", "colour@6"},
      // Hex colours in both forms, either case, are noted; broken ones are unknown codes.
      {"@msg:&#12AB34hi &x&f&F&0&0&a&B!", "hex@6 hex@17"},
      {"@msg:&#12345 x", "colour@6"},
      {"@msg:&#GGHHII", "colour@6"},
      {"@msg:&x&1&2", "colour@6"},
      {"@msg:&l&#FFFFFFx", "colour@6 hex@8"},
      // @title: a main title; whole-number timings where there are timings.
      {"@title:A##B##10##60##10", ""},
      {"@title:####10##60##10", "missing@8"},
      {"@title:##B##10##60##10", "missing@8"},
      {"@title:A##B##1x##60##", "number@14 missing@22"},
      {"@title:A##B", ""},
      {"@title:&zA##&#00FF00B##10##60##10", "colour@8 hex@13"},
      // $item: item code (":" data value allowed), whole amount; name and message chat text.
      {"$item:57#####&b&l点券 100 &c你当前有%amount%个！", ""},
      {"$item:57:3#####x 1 m", ""},
      {"$item:5a#####x 1 m", "number@7"},
      {"$item:57:#####x 1 m", "number@7"},
      {"$item:57#####x 1.5 m", "number@16"},
      {"$item:57#####点 券 100 x", "number@16"},
      {"$item:57#####x", "missing@15"},
      {"$item:#####  ", "missing@7 missing@13"},
      {"$item:388 1 &c缺少绿宝石", ""},
      {"$item:388 x", "number@11"},
      {"$item:388", "missing@10"},
      // @perm: a node.
      {"@perm:essentials.fly &c你必须拥有飞行权限", ""},
      {"@perm:", "missing@7"},
      {"@perm: &c没有", "missing@7"},
      // Conditions: the five operators, a whole level, a health with decimals.
      {"@papi:%player_level%>=30 &c你必须达到30级", ""},
      {"@papi:%player_level%>1 x", ""},
      {"@papi:%player_level%<1 x", ""},
      {"@papi:%player_level%<=1 x", ""},
      {"@papi:%player_level%==1 x", ""},
      {"@papi:%player_level%=30 x", "operator@21"},
      {"@papi:%player_level%!=30 x", "operator@21"},
      {"@papi:%player_level%=>30 x", "operator@21"},
      {"@papi:%player_level%30 x", "missing@21"},
      {"@papi:%player_level%>=3.5 x", "number@23"},
      {"@papi:%player_level%>= 30", "missing@23"},
      {"@papi:%player_health%<9.5 &c血量", ""},
      {"@papi:%player_health%<", "missing@23"},
      {"@papi:%player_health%", "missing@22 missing@22"},
      // @delay: whole ticks.
      {"@delay:20", ""},
      {"@delay:", "missing@8"},
      {"@delay:1s", "number@8"},
      {"@delay:-1", "number@8"},
      // Raw lines are not this program's: nothing is said about them.
      {"hello &z", ""},
      {"@papi:%vault_eco%>=x", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Notes(compose::CheckScriptLine(row.line)), row.notes);
  }
}

TEST(CheckScriptLine, MessagesNameTheFieldAndQuoteTheValue) {
  const auto first = [](std::string_view line) { return compose::CheckScriptLine(line).at(0); };
  EXPECT_EQ(first("$cost:abc x").message, "金额应是数字，这里是“abc”");
  EXPECT_EQ(first("@delay:" + Repeat(kDian, 20)).message,
            "延迟刻数应是整数，这里是“" + Repeat(kDian, 12) + "…”");
  EXPECT_EQ(first("$item:57#####点 券 100 x").message,
            "物品名字里不能有空格：插件会把“券”当作物品数量");
  EXPECT_EQ(first("@papi:%player_level%=30 x").message,
            "比较符号应是 >、<、>=、<=、== 之一，这里是“=”");
  EXPECT_EQ(first("@title:##B").message, "缺少主标题：没有主标题时副标题也不会显示");
  EXPECT_EQ(first("@msg:&#12ab34x").message,
            "第6字处的 &#12ab34 是十六进制颜色，需要 1.16 或更高版本的服务器");
  EXPECT_FALSE(compose::IsProblem(NoteKind::kHexColour));
  EXPECT_TRUE(compose::IsProblem(NoteKind::kColourCode));
}

TEST(GameLength, CountsAsJavaCountsUtf16Units) {
  EXPECT_EQ(compose::GameLength(""), 0u);
  EXPECT_EQ(compose::GameLength("ab" + kDian), 3u);
  EXPECT_EQ(compose::GameLength(kSnowman + kSnowman), 2u);  // an emoji's two halves: two
  EXPECT_EQ(compose::GameLength("\x81\x5C\x81\x40"), 2u);
  EXPECT_EQ(compose::GameLength("a\xB5"), 2u);  // a lead byte cut off at the end
}

// The chat takes 256 characters: a command of 256 double-byte characters and escapes passes, one
// more does not, and the note sends the admin to the console. A line is too long when even the
// shortest add command ("/vrnl add x ", 12 characters) with it is over 256.
TEST(ChatLimit, DoubleByteTextAtTheBoundary) {
  const std::string prefix = "/vrnl add s @msg:";  // 17 characters
  const std::string fits = prefix + Repeat(kDian, 200) + Repeat(kSnowman, 39);
  ASSERT_EQ(compose::GameLength(fits), 256u);
  EXPECT_EQ(Notes(compose::CheckCommand(fits)), "");
  EXPECT_EQ(Notes(compose::CheckCommand(fits + kDian)), "long@1");
  EXPECT_EQ(Notes(compose::CheckCommand(fits, 1)), "long@1");
  const std::string message = compose::CheckCommand(fits + "x").at(0).message;
  EXPECT_NE(message.find("257"), std::string::npos) << message;
  EXPECT_NE(message.find("256"), std::string::npos) << message;
  EXPECT_NE(message.find("控制台不限长度"), std::string::npos) << message;

  const std::string line = "@msg:" + Repeat(kDian, 239);
  ASSERT_EQ(compose::GameLength(line), 244u);
  EXPECT_EQ(Notes(compose::CheckScriptLine(line)), "");
  EXPECT_EQ(Notes(compose::CheckScriptLine(line + kSnowman)), "long@1");
  EXPECT_EQ(Notes(compose::CheckScriptLine(line, 1)), "long@1");
}

TEST(CheckScriptLines, EachGluedLineIsCheckedWhereItLies) {
  const std::string box = "@msg:&zA$cost:abc m\r\n@delay:x@command /spawn";
  EXPECT_EQ(Notes(compose::CheckScriptLines(box)), "colour@6 number@15 number@29");
  // A colour problem says where it lies in the box.
  EXPECT_NE(compose::CheckScriptLines("@msg:a@msg:&z").at(0).message.find("第12字"),
            std::string::npos);
  // Cut where reading stopped: the last line may be incomplete, so it is left alone.
  const std::string cut = box.substr(0, box.find("@command"));
  EXPECT_EQ(Notes(compose::CheckScriptLines(cut, 1000)), "colour@6 number@15");
  EXPECT_EQ(Notes(compose::CheckScriptLines("")), "");
}

TEST(CheckCommand, TheScriptLineOfAnAddCommand) {
  const struct {
    std::string command;
    std::string notes;
  } rows[] = {
      {"/vrnl add 回城 @command /spawn", ""},
      {"/vrnl add s $cost:abc x", "number@19"},
      {"/vrnl add s @papi:%player_level%=3 x", "operator@33"},
      {"/vrnl add ", "missing@11"},
      {"/vrnl add  @msg:x", "missing@11"},
      {"/vrnl add s", "missing@12"},
      {"/vrnl add s ", "missing@13"},
      {"/vrnl add s hello", ""},
      {"/vrnl create $cost:abc", ""},
      {"", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    EXPECT_EQ(Notes(compose::CheckCommand(row.command)), row.notes);
  }
}

}  // namespace
