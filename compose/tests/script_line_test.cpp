// Reading script lines back into fields: every directive, the splits the plugin makes where a
// field could hold a separator, raw lines, and every builder's line written again byte for byte
// whatever its inputs hold (GBK, escapes of units GBK lacks, spaces, nothing).
#include "compose/script_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/builders.h"

namespace {

using compose::Directive;
using compose::ParseScriptLine;
using compose::ScriptLine;

// 点 (0xB5 0xE3); 乗 (0x81 0x5C) and 丂 (0x81 0x40), whose trail bytes are "\" and "@".
const std::string kDian = "\xB5\xE3";
const std::string kBackslashTrail = "\x81\x5C";
const std::string kAtTrail = "\x81\x40";
// U+2603, which GBK lacks, as the program carries it.
const std::string kSnowman =
    "\xFF"
    "2603";

struct ParseRow {
  std::string text;
  Directive directive;
  std::vector<std::string> fields;
};

TEST(ParseScriptLine, TableOfLines) {
  const ParseRow rows[] = {
      {"@bypass /give %player% 264 1", Directive::kBypass, {"/give %player% 264 1"}},
      {"@command /spawn", Directive::kCommand, {"/spawn"}},
      {"@command ", Directive::kCommand, {""}},
      {"@console /say " + kDian + kSnowman, Directive::kConsole, {"/say " + kDian + kSnowman}},
      // $cost: the amount ends at the first space; without a space there is no message field.
      {"$cost:10086 &c使用它需要10086个金币",
       Directive::kCost,
       {"10086", "&c使用它需要10086个金币"}},
      {"$cost:100", Directive::kCost, {"100"}},
      {"$cost:100 ", Directive::kCost, {"100", ""}},
      {"$cost: 100 x", Directive::kCost, {"", "100 x"}},
      {"$cost:", Directive::kCost, {""}},
      {"$cost:100元 " + kBackslashTrail, Directive::kCost, {"100元", kBackslashTrail}},
      {"@msg:由VRNL发送的信息", Directive::kMessage, {"由VRNL发送的信息"}},
      {"@msg:", Directive::kMessage, {""}},
      // @title: the builder's timings; other timings; none; "##" inside the subtitle.
      {"@title:A##B##10##60##10", Directive::kTitle, {"A", "B", "10", "60", "10"}},
      {"@title:####10##60##10", Directive::kTitle, {"", "", "10", "60", "10"}},
      {"@title:A##B##20##40##5", Directive::kTitle, {"A", "B", "20", "40", "5"}},
      {"@title:A##B", Directive::kTitle, {"A", "B"}},
      {"@title:A", Directive::kTitle, {"A"}},
      {"@title:A##B##C##D", Directive::kTitle, {"A", "B##C##D"}},
      {"@title:A##B##C##10##60##10", Directive::kTitle, {"A", "B##C", "10", "60", "10"}},
      {"@title:&l主##&7副##10##60##", Directive::kTitle, {"&l主", "&7副", "10", "60", ""}},
      // $item: the full form splits at "#####" and then at spaces; the short form at spaces.
      {"$item:57#####&b&l点券 100 &c你当前有%amount%个！",
       Directive::kItem,
       {"57", "&b&l点券", "100", "&c你当前有%amount%个！"}},
      {"$item:#####  ", Directive::kItem, {"", "", "", ""}},
      {"$item:57:3#####点 券 100 x", Directive::kItem, {"57:3", "点", "券", "100 x"}},
      {"$item:57#####券", Directive::kItem, {"57", "券"}},
      {"$item:388 1 &c缺少绿宝石", Directive::kItemWithoutName, {"388", "1", "&c缺少绿宝石"}},
      {"$item:388", Directive::kItemWithoutName, {"388"}},
      {"$item:", Directive::kItemWithoutName, {""}},
      {"@perm:essentials.fly &c你必须拥有飞行权限",
       Directive::kPermission,
       {"essentials.fly", "&c你必须拥有飞行权限"}},
      {"@perm:", Directive::kPermission, {""}},
      // Conditions: operator and number always, the message after the first space.
      {"@papi:%player_level%>=30 &c你必须达到30级",
       Directive::kLevel,
       {">=", "30", "&c你必须达到30级"}},
      {"@papi:%player_health%<10 ", Directive::kHealth, {"<", "10", ""}},
      {"@papi:%player_health%==9.5", Directive::kHealth, {"==", "9.5"}},
      {"@papi:%player_level%", Directive::kLevel, {"", ""}},
      {"@papi:%player_level%30 x", Directive::kLevel, {"", "30", "x"}},
      {"@papi:%player_level%=>!30", Directive::kLevel, {"=>!", "30"}},
      {"@delay:20", Directive::kDelay, {"20"}},
      {"@delay:", Directive::kDelay, {""}},
      // Raw: nothing this program writes, kept whole.
      {"", Directive::kRaw, {""}},
      {"hello " + kDian, Directive::kRaw, {"hello " + kDian}},
      {"@papi:%vault_eco_balance%>=100 x", Directive::kRaw, {"@papi:%vault_eco_balance%>=100 x"}},
      {"@Command /spawn", Directive::kRaw, {"@Command /spawn"}},
      {"@commands", Directive::kRaw, {"@commands"}},
      {" @msg:x", Directive::kRaw, {" @msg:x"}},
  };
  for (const ParseRow& row : rows) {
    SCOPED_TRACE(row.text);
    const ScriptLine line = ParseScriptLine(row.text);
    EXPECT_EQ(line.directive, row.directive);
    EXPECT_EQ(line.fields, row.fields);
    EXPECT_EQ(compose::ComposeScriptLine(line), row.text);
    for (std::size_t i = 0; i < line.fields.size(); ++i) {
      EXPECT_EQ(row.text.substr(compose::FieldOffset(line, i), line.fields[i].size()),
                line.fields[i])
          << i;
    }
  }
}

// Every builder's line, whatever its inputs hold, reads back as its own directive and writes
// again as the same bytes; with inputs free of separators the fields are the inputs.
TEST(ParseScriptLine, EveryBuilderLineComesBackByteForByte) {
  const std::vector<std::string> inputSets[] = {
      {"", "", "", ""},
      {"57", "&b&l" + kDian + "券", "100", "&c你当前有%amount%个！"},
      {kSnowman + kBackslashTrail, kAtTrail + "@msg:", kSnowman, "##10##60##10"},
      {" a  b ", "#####", "  ", "&x&F&F&0&0&0&0x &#12ab34"},
      {">=30 " + kDian, "<" + kSnowman, "==", " "},
  };
  for (const compose::ScriptLineRow& row : compose::ScriptLineRows()) {
    for (const std::vector<std::string>& inputs : inputSets) {
      std::size_t next = 0;
      const std::string built = compose::ComposeRowLine(
          row, [&](ui::ControlId) { return inputs[next++ % inputs.size()]; });
      SCOPED_TRACE(built);
      const ScriptLine line = ParseScriptLine(built);
      EXPECT_NE(line.directive, Directive::kRaw);
      EXPECT_EQ(compose::ComposeScriptLine(line), built);
    }
  }
}

TEST(ComposeScriptLine, FieldsPastTheFormAreIgnored) {
  EXPECT_EQ(compose::ComposeScriptLine({Directive::kDelay, {"20", "x"}}), "@delay:20");
  EXPECT_EQ(compose::ComposeScriptLine({Directive::kItem, {"1", "n", "2", "m", "x"}}),
            "$item:1#####n 2 m");
  EXPECT_EQ(compose::ComposeScriptLine({Directive::kRaw, {}}), "");
  EXPECT_EQ(compose::ComposeScriptLine({Directive::kCost, {}}), "$cost:");
}

TEST(SplitScriptLines, GluedLinesLineBreaksAndLiteralsInsideCharacters) {
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } rows[] = {
      {"", {}},
      {"@command /spawn@command /spawn", {"@command /spawn", "@command /spawn"}},
      {"@title:A##B##10##60##10@msg:x$cost:1 y",
       {"@title:A##B##10##60##10", "@msg:x", "$cost:1 y"}},
      {"@msg:a\r\n\r\n@msg:b\nraw", {"@msg:a", "@msg:b", "raw"}},
      {"@papi:%player_level%>=3 x@papi:%vault_eco%>1",
       {"@papi:%player_level%>=3 x", "@papi:%vault_eco%>1"}},
      {"text before@delay:20", {"text before", "@delay:20"}},
      // "@msg:" starting on the trail byte of 丂 is no literal.
      {"@msg:" + kAtTrail + "msg:x", {"@msg:" + kAtTrail + "msg:x"}},
      {"@msg:" + kDian + "@msg:x", {"@msg:" + kDian, "@msg:x"}},
      {"@commandx@cost:1", {"@commandx@cost:1"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    std::vector<std::string> lines;
    for (const compose::LineSpan& span : compose::SplitScriptLines(row.text)) {
      lines.push_back(row.text.substr(span.offset, span.length));
    }
    EXPECT_EQ(lines, row.lines);
  }
}

}  // namespace
