// Script files byte for byte: GBK double-byte text and the escapes of what GBK lacks as UTF-8 and
// back; byte-order marks, CRLF, LF and CR; damaged, foreign and huge files opened with a note or
// refused; file names Windows accepts; the recent list; and 10,000 rows within the time an admin
// notices.
#include "compose/script_file.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "compose/script_commands.h"
#include "compose/tests/gbk_test_codec.h"

namespace {

using compose::FileProblem;
using compose::testing::kGbkCodec;
using namespace std::string_literals;

const std::string kDian = "\xB5\xE3";            // 点, U+70B9
const std::string kBackslashTrail = "\x81\x5C";  // 乗, U+4E57
const std::string kSnowman =
    "\xFF"
    "2603";
const std::string kEmoji =
    "\xFF"
    "D83D"
    "\xFF"
    "DE00";
const std::string kLoneHalf =
    "\xFF"
    "D83D";
const std::string kReplacement =
    "\xFF"
    "FFFD";

// Milliseconds of a monotonic clock (<chrono> does not compile with the GBK execution
// character set).
double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string Texts(const std::vector<compose::ScriptLine>& rows) {
  std::string out;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    out += (i ? "|" : "") + compose::ComposeScriptLine(rows[i]);
  }
  return out;
}

std::vector<compose::ScriptLine> Lines(const std::vector<std::string>& texts) {
  std::vector<compose::ScriptLine> lines;
  for (const std::string& text : texts) lines.push_back(compose::ParseScriptLine(text));
  return lines;
}

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(ScriptFile, WrittenByteForByte) {
  const std::string file = compose::WriteScriptFile(
      "签到",
      Lines({"@msg:" + kDian + kSnowman + kEmoji, "", kBackslashTrail + "\x80" + kLoneHalf}),
      kGbkCodec);
  EXPECT_EQ(file,
            "# Varnel script: "
            "\xE7\xAD\xBE"  // 签
            "\xE5\x88\xB0"  // 到
            "\r\n"
            "@msg:"
            "\xE7\x82\xB9"      // 点
            "\xE2\x98\x83"      // U+2603, escaped in GBK
            "\xF0\x9F\x98\x80"  // an emoji: two escaped units, one character
            "\r\n"
            "\r\n"          // an empty row
            "\xE4\xB9\x97"  // 乗, whose GBK trail byte is "\"
            "\xE2\x82\xAC"  // 0x80, the euro sign
            "\xED\xA0\xBD"  // half an emoji, as typed
            "\r\n");
  const compose::ScriptFileContent read = compose::ReadScriptFile(file, kGbkCodec);
  EXPECT_TRUE(read.opened);
  EXPECT_TRUE(read.problems.empty());
  EXPECT_EQ(read.name, "签到");
  EXPECT_EQ(Texts(read.rows),
            "@msg:" + kDian + kSnowman + kEmoji + "||" + kBackslashTrail + "\x80" + kLoneHalf);
  // A line break in the name cannot end the name line.
  EXPECT_EQ(compose::WriteScriptFile("a\r\nb", {}, kGbkCodec), "# Varnel script: a  b\r\n");
}

TEST(ScriptFile, ReadingWhatAdminsAndOtherProgramsWrite) {
  const struct {
    const char* what;
    std::string bytes;
    bool opened;
    std::string name;
    std::string rows;
    std::vector<FileProblem> problems;
  } cases[] = {
      {"mark and LF", "\xEF\xBB\xBF# Varnel script: a\n@msg:x\n", true, "a", "@msg:x", {}},
      {"CR, no last break", "# Varnel script: a\r@msg:x\r@msg:y", true, "a", "@msg:x|@msg:y", {}},
      {"mixed breaks", "# Varnel script: a\r\n1\n\r2\r\n", true, "a", "1||2", {}},
      {"an empty last row", "# Varnel script: a\r\n1\r\n\r\n", true, "a", "1|", {}},
      {"name without space, blanks", "# Varnel script:a b \t\n", true, "a b", "", {}},
      {"name line only", "# Varnel script: \xE7\xAD\xBE\xE5\x88\xB0", true, "签到", "", {}},
      {"empty", "", true, "", "", {FileProblem::kNoNameLine}},
      {"no name line", "@msg:x\nhello\n", true, "", "@msg:x|hello", {FileProblem::kNoNameLine}},
      {"GBK",
       "# Varnel script: \xC7\xA9\xB5\xBD\r\n@msg:\xB5\xE3\r\n",
       true,
       "签到",
       "@msg:" + kDian,
       {FileProblem::kReadAsGbk}},
      {"GBK with stray bytes",
       "@msg:\xFF\x81\x20z\xB5",
       true,
       "",
       "@msg:" + kReplacement + kReplacement + " z" + kReplacement,
       {FileProblem::kReadAsGbk, FileProblem::kNoNameLine}},
      {"half an emoji",
       "@msg:\xED\xA0\xBD",
       true,
       "",
       "@msg:" + kLoneHalf,
       {FileProblem::kNoNameLine}},
      {"UTF-16, little-endian",
       Utf16Bytes(u"# Varnel script: \u7B7E\r\n@msg:\u2603\r\n", false),
       true,
       "\xC7\xA9",
       "@msg:" + kSnowman,
       {}},
      {"UTF-16, big-endian", Utf16Bytes(u"# Varnel script: a\n\u70B9", true), true, "a", kDian, {}},
      {"NUL", "# Varnel script: a\n@msg:\0"s, false, "", "", {FileProblem::kNotText}},
      {"UTF-16 with a NUL",
       Utf16Bytes(u"# Varnel script: a\n"s + u'\0', false),
       false,
       "",
       "",
       {FileProblem::kNotText}},
      {"one byte too many",
       std::string(compose::kMaxScriptFileBytes + 1, 'x'),
       false,
       "",
       "",
       {FileProblem::kTooLarge}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const compose::ScriptFileContent read = compose::ReadScriptFile(c.bytes, kGbkCodec);
    EXPECT_EQ(read.opened, c.opened);
    EXPECT_EQ(read.name, c.name);
    EXPECT_EQ(Texts(read.rows), c.rows);
    EXPECT_EQ(read.problems, c.problems);
    for (FileProblem problem : read.problems)
      EXPECT_FALSE(compose::DescribeFileProblem(problem).empty());
    if (read.opened) {
      // Whatever was opened saves as a script of ours that opens again to the same rows.
      const compose::ScriptFileContent again = compose::ReadScriptFile(
          compose::WriteScriptFile(read.name, read.rows, kGbkCodec), kGbkCodec);
      EXPECT_TRUE(again.problems.empty());
      EXPECT_EQ(again.rows, read.rows);
    }
  }
}

TEST(ScriptFile, FileNamesWindowsAccepts) {
  const struct {
    std::string name;
    std::string file;
  } cases[] = {
      {"每日签到", "每日签到.txt"},
      {"a/b\\c:d*e?f\"g<h>i|j\tk", "a_b_c_d_e_f_g_h_i_j_k.txt"},
      {kBackslashTrail + "|", kBackslashTrail + "_.txt"},  // the trail byte is no backslash
      {"x" + kSnowman, "x" + kSnowman + ".txt"},
      {"con", "_con.txt"},
      {"Lpt1.x", "_Lpt1.x.txt"},
      {"com0", "com0.txt"},
      {"console", "console.txt"},
      {"a. ", "a__.txt"},
      {"..", "__.txt"},
      {"", ""},
      {std::string(200, 'a'), std::string(120, 'a') + ".txt"},
      {"a" + std::string(120, '\xB5'),
       "a" + std::string(118, '\xB5') + ".txt"},  // whole characters
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compose::ScriptFileName(c.name), c.file) << testing::PrintToString(c.name);
  }
}

TEST(RecentScripts, NewestFirstWithinTheLimit) {
  compose::RecentScripts recent;
  for (int i = 0; i < 12; ++i) compose::NoteOpened(recent, "C:\\s\\" + std::to_string(i) + ".txt");
  ASSERT_EQ(recent.paths.size(), compose::kRecentScriptsLimit);
  EXPECT_EQ(recent.paths.front(), "C:\\s\\11.txt");
  EXPECT_EQ(recent.paths.back(), "C:\\s\\2.txt");
  compose::NoteOpened(recent, "c:\\S\\5.TXT");  // one file, another spelling
  EXPECT_EQ(recent.paths.size(), compose::kRecentScriptsLimit);
  EXPECT_EQ(recent.paths.front(), "c:\\S\\5.TXT");
  recent.openAtExit = "c:\\s\\5.txt";
  const std::string file = compose::FormatRecentScripts(recent);
  EXPECT_EQ(file,
            "# Command composer: recent scripts, newest first\r\n"
            "open=c:\\s\\5.txt\r\n"
            "recent=c:\\S\\5.TXT\r\n"
            "recent=C:\\s\\11.txt\r\n"
            "recent=C:\\s\\10.txt\r\n"
            "recent=C:\\s\\9.txt\r\n"
            "recent=C:\\s\\8.txt\r\n"
            "recent=C:\\s\\7.txt\r\n"
            "recent=C:\\s\\6.txt\r\n"
            "recent=C:\\s\\4.txt\r\n"
            "recent=C:\\s\\3.txt\r\n"
            "recent=C:\\s\\2.txt\r\n");
  EXPECT_EQ(compose::ParseRecentScripts(file), recent);
  compose::Forget(recent, "C:\\S\\5.txt");
  EXPECT_EQ(recent.paths.size(), compose::kRecentScriptsLimit - 1);
  EXPECT_EQ(recent.openAtExit, "");

  const compose::RecentScripts damaged = compose::ParseRecentScripts(
      "\xEF\xBB\xBFrecent=a\nrecent=\xFF\nrecent=A\r\nopen= b \nrecent=\nnonsense\0\nrecent=c"s);
  EXPECT_EQ(damaged.paths, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(damaged.openAtExit, "b");
}

// Opening, saving and exporting a script of 10,000 rows: under 200 ms each in a release build;
// the limit here leaves room for the sanitizers and a busy machine. scripts/bench.sh measures the
// shipped program.
TEST(ScriptFile, TenThousandRowsOpenSaveAndExportQuickly) {
  std::vector<compose::ScriptLine> rows;
  const std::string lines[] = {
      "@console give %player% diamond 5",
      "$cost:100 &c金币不足100，无法领取" + kSnowman,
      "@title:&6欢迎##&7" + kDian + "##10##60##10",
      "$item:57#####&b&l点券 100 &c你当前有%amount%个！",
      "@papi:%player_level%>=30 &c你必须达到30级才能使用它！",
  };
  for (std::size_t i = 0; i < 10000; ++i) rows.push_back(compose::ParseScriptLine(lines[i % 5]));
  kGbkCodec.wideFromGbk("");  // the conversion tables are built once per process

  const double t0 = NowMs();
  const std::string file = compose::WriteScriptFile("big", rows, kGbkCodec);
  const double t1 = NowMs();
  const compose::ScriptFileContent read = compose::ReadScriptFile(file, kGbkCodec);
  const double t2 = NowMs();
  const std::string block = compose::CommandBlock(compose::ScriptCommands("big", read.rows, true));
  const double t3 = NowMs();
  EXPECT_EQ(read.rows, rows);
  EXPECT_GT(block.size(), file.size());
  RecordProperty("save_ms", std::to_string(t1 - t0));
  RecordProperty("open_ms", std::to_string(t2 - t1));
  RecordProperty("export_ms", std::to_string(t3 - t2));
  EXPECT_LT(t1 - t0, 1000);
  EXPECT_LT(t2 - t1, 1000);
  EXPECT_LT(t3 - t2, 1000);
}

}  // namespace
