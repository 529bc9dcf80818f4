// The chat code reader against what the game shows: every code in either case, text the game
// shows as written (unknown codes, a lone "&"), formats lost to a following colour code, and
// GBK characters that must stay whole.
#include "ui/colour_codes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using ui::ChatLine;
using ui::CodeProblemKind;
using ui::RunKind;

// One run as "<colour digit or #rrggbb><formats>[P|!]:text", formats in the order l o n m k; runs
// joined by " | ". Problems as "<kind>@<column>:<code>[><cleared by>]".
std::string Runs(const ChatLine& line) {
  std::string out;
  for (const ui::ChatRun& run : line.runs) {
    if (!out.empty()) out += " | ";
    if (run.style.rgb >= 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "#%06x", static_cast<unsigned>(run.style.rgb));
      out += hex;
    } else {
      out += "0123456789abcdef"[run.style.colour];
    }
    if (run.style.bold) out += 'l';
    if (run.style.italic) out += 'o';
    if (run.style.underline) out += 'n';
    if (run.style.strikethrough) out += 'm';
    if (run.style.obfuscated) out += 'k';
    if (run.kind == RunKind::kPlaceholder) out += 'P';
    if (run.kind == RunKind::kFlagged) out += '!';
    out += ":" + run.text;
  }
  return out;
}

std::string Problems(const ChatLine& line) {
  std::string out;
  for (const ui::CodeProblem& problem : line.problems) {
    if (!out.empty()) out += " ";
    switch (problem.kind) {
      case CodeProblemKind::kUnknownCode:
        out += "unknown";
        break;
      case CodeProblemKind::kLoneAmpersand:
        out += "lone";
        break;
      case CodeProblemKind::kFormatBeforeColour:
        out += "lost";
        break;
      case CodeProblemKind::kHexColour:
        out += "hex";
        break;
    }
    out += "@" + std::to_string(problem.column) + ":" + problem.code;
    if (!problem.clearedBy.empty()) out += ">" + problem.clearedBy;
  }
  return out;
}

struct Row {
  std::string text;
  std::string runs;
  std::string problems;
  ui::CodeSigns signs = ui::CodeSigns::kAmpersand;
};

TEST(ReadChatCodes, TableOfMessages) {
  const Row rows[] = {
      {"", "", ""},
      {"plain", "f:plain", ""},
      // Every colour, lower and upper case.
      {"&00&11&22&33&44&55&66&77&88&99",
       "0:0 | 1:1 | 2:2 | 3:3 | 4:4 | 5:5 | 6:6 | 7:7 | 8:8 | 9:9", ""},
      {"&aa&bb&cc&dd&ee&ff", "a:a | b:b | c:c | d:d | e:e | f:f", ""},
      {"&AA&BB&CC&DD&EE&FF", "a:A | b:B | c:C | d:D | e:E | f:F", ""},
      // Formats add up until a colour or reset; either case.
      {"&lB&oI&nU&mS&kK&rR", "fl:B | flo:I | flon:U | flonm:S | flonmk:K | f:R", ""},
      {"&c&LB&Oi&R.", "cl:B | clo:i | f:.", ""},
      {"&c&lA&eB", "cl:A | e:B", ""},
      // A colour code clears the formats written before it: each lost one is reported.
      {"&l&cX", "c:X", "lost@1:&l>&c"},
      {"&l&n&6X", "6:X", "lost@1:&l>&6 lost@3:&n>&6"},
      {"&o&rX", "f:X", "lost@1:&o>&r"},
      {"&lA&cB", "fl:A | c:B", ""},
      {"&c&l", "", ""},
      // Unknown codes and lone ampersands stay in the text, flagged, in the style around them.
      {"&zA", "f!:&z | f:A", "unknown@1:&z"},
      {"&c&Z&g&x", "c!:&Z | c!:&g | c!:&x", "unknown@3:&Z unknown@5:&g unknown@7:&x"},
      {"end&", "f:end | f!:&", "lone@4:&"},
      {"&&c!", "f!:& | c:!", "lone@1:&"},
      {"Tom & Jerry", "f:Tom & Jerry", ""},
      // Placeholders keep their text and the style around them.
      {"&a%player% has %amount%", "aP:%player% | a: has  | aP:%amount%", ""},
      {"100% and 50%", "f:100% and 50%", ""},
      {"%player_level%%", "fP:%player_level% | f:%", ""},
      {"%1x%", "f:%1x%", ""},
      // GBK: "你" and "级" count as one character each.
      {"&c你必须达到30级才能使用它！", "c:你必须达到30级才能使用它！", ""},
      {"你&z好", "f:你 | f!:&z | f:好", "unknown@2:&z"},
      // "&" before a two-byte character is no code; the character stays whole.
      {"&你好", "f!:&你 | f:好", "unknown@1:&你"},
      // ... even when its trail byte is a code letter: 0x81 0x6C ends in "l".
      {"&\x81\x6C"
       "A",
       "f!:&\x81\x6C | f:A", "unknown@1:&\x81\x6C"},
      {"&c\x81\x6C", "c:\x81\x6C", ""},
      // Hex colours, both forms and either case: the text takes the colour, formats before it
      // are lost, and each is noted as needing a newer server.
      {"&#12AB34x&#ffffffy", "#12ab34:x | #ffffff:y", "hex@1:&#12AB34 hex@10:&#ffffff"},
      {"&X&a&B&0&0&F&fz", "#ab00ff:z", "hex@1:&X&a&B&0&0&F&f"},
      {"&l&#000000A&lB&cC", "#000000:A | #000000l:B | c:C", "lost@1:&l>&#000000 hex@3:&#000000"},
      {"&#12AB34&l&r.", "f:.", "hex@1:&#12AB34 lost@9:&l>&r"},
      // Broken ones are read as the codes they start with.
      {"&#12345", "f!:&# | f:12345", "unknown@1:&#"},
      {"&#12345G", "f!:&# | f:12345G", "unknown@1:&#"},
      {"&#GGHHII", "f!:&# | f:GGHHII", "unknown@1:&#"},
      {"&x&1&2", "f!:&x", "unknown@1:&x"},
      {"&x&1&2&3&4&5&Z", "f!:&x | 5!:&Z", "unknown@1:&x unknown@13:&Z"},
      // An escape of a unit GBK lacks is one character and stays whole after "&".
      {"&\xFF"
       "2603a&z",
       "f!:&\xFF"
       "2603 | f:a | f!:&z",
       "unknown@1:&\xFF"
       "2603 unknown@4:&z"},
      // A lead byte cut off at the very end stands alone.
      {"&\x81", "f!:&\x81", "unknown@1:&\x81"},
      {"a\x81", "f:a\x81", ""},
      // A server's answer: "§" (GBK A1 EC) is the sign, "&" plain text; both where asked for.
      {"§c红色§r白&c", "c:红色 | f:白&c", "", ui::CodeSigns::kSection},
      {"§l§cX§z", "c:X | c!:§z", "lost@1:§l>§c unknown@6:§z", ui::CodeSigns::kSection},
      {"§l§rX", "f:X", "lost@1:§l>§r", ui::CodeSigns::kSection},
      {"end§", "f:end | f!:§", "lone@4:§", ui::CodeSigns::kSection},
      {"§§c!", "f!:§ | c:!", "lone@1:§", ui::CodeSigns::kSection},
      {"&a§bX&cY", "b:X | c:Y", "", ui::CodeSigns::kBoth},
      {"§x§f§f§0§0§a§aHex§#12AB34x", "#ff00aa:Hex | #12ab34:x",
       "hex@1:§x§f§f§0§0§a§a hex@18:§#12AB34", ui::CodeSigns::kSection},
      // A spelled hex colour keeps one sign throughout.
      {"§x&f§f§0§0§a§a", "f!:§x", "unknown@1:§x", ui::CodeSigns::kBoth},
      // A1 EC across two characters (a full-width space, then a character led by EC) is no sign.
      {"\xA1\xA1\xEC\x63", "f:\xA1\xA1\xEC\x63", "", ui::CodeSigns::kSection},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const ChatLine line = ui::ReadChatCodes(row.text, row.signs);
    EXPECT_EQ(Runs(line), row.runs);
    EXPECT_EQ(Problems(line), row.problems);
  }
}

TEST(ReadChatCodes, ColoursAndShadowsAreTheGames) {
  EXPECT_EQ(ui::ChatColour(0), 0x000000u);
  EXPECT_EQ(ui::ChatColour(6), 0xFFAA00u);
  EXPECT_EQ(ui::ChatColour(12), 0xFF5555u);
  EXPECT_EQ(ui::ChatShadowColour(15), 0x3F3F3Fu);
  EXPECT_EQ(ui::ChatShadowColour(6), 0x3F2A00u);
  EXPECT_EQ(ui::ChatColour(99), 0xFFFFFFu);
}

TEST(ReadChatCodes, ProblemsAreDescribedWithTheirCodes) {
  const ChatLine line = ui::ReadChatCodes("&l&cA&z&");
  ASSERT_EQ(line.problems.size(), 3u);
  EXPECT_NE(ui::DescribeCodeProblem(line.problems[0]).find("&c&l"), std::string::npos);
  EXPECT_NE(ui::DescribeCodeProblem(line.problems[1]).find("&z"), std::string::npos);
  EXPECT_NE(ui::DescribeCodeProblem(line.problems[2]).find("第8字"), std::string::npos);
  const ChatLine server = ui::ReadChatCodes("§o§r§", ui::CodeSigns::kSection);
  ASSERT_EQ(server.problems.size(), 2u);
  EXPECT_NE(ui::DescribeCodeProblem(server.problems[0]).find("重置代码"), std::string::npos);
  EXPECT_NE(ui::DescribeCodeProblem(server.problems[1]).find("的 § 后面"), std::string::npos);
}

}  // namespace
