// The console log: its lines as a view reads them, copies without the answers' codes, the last
// entries kept and long old answers cut when the log grows past its budget.
#include "ui/console_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::ConsoleLineKind;
using ui::ConsoleLog;
using ui::ConsolePart;

// Every line as "<kind letter><* at an entry's start>:text", one per line.
std::string Lines(const ConsoleLog& log) {
  std::string out;
  for (std::size_t i = 0; i < log.LineCount(); ++i) {
    const ui::ConsoleLine line = log.Line(i);
    out += "HRNP"[static_cast<int>(line.kind)];
    out += line.entryStart ? "*:" : ":";
    out += line.text;
    out += "\n";
  }
  return out;
}

std::vector<ConsolePart> Entry(std::string heading, std::string reply = {}) {
  std::vector<ConsolePart> parts = {{ConsoleLineKind::kHeading, std::move(heading)}};
  if (!reply.empty()) parts.push_back({ConsoleLineKind::kReply, std::move(reply)});
  return parts;
}

TEST(ConsoleLog, LinesComeFromEveryPartAndCopiesLeaveOutTheAnswersCodes) {
  ConsoleLog log;
  log.Add({{ConsoleLineKind::kHeading, "12:00:01 > say §chi"},
           {ConsoleLineKind::kNote, "已去掉开头的“/”"},
           {ConsoleLineKind::kReply, "§c红§r字\r\n\r\nline 3\n"}});
  log.Add({{ConsoleLineKind::kProblem, "密码错误"}, {ConsoleLineKind::kReply, ""}});
  EXPECT_EQ(Lines(log),
            "H*:12:00:01 > say §chi\n"
            "N:已去掉开头的“/”\n"
            "R:§c红§r字\n"
            "R:\n"
            "R:line 3\n"
            "P*:密码错误\n");
  EXPECT_EQ(log.Text(0, 99),
            "12:00:01 > say §chi\r\n已去掉开头的“/”\r\n红字\r\n\r\nline 3\r\n密码错误");
  EXPECT_EQ(log.Text(2, 2), "红字");
  EXPECT_EQ(log.Text(6, 9), "");
  EXPECT_EQ(log.Line(6).text, "");
}

TEST(ConsoleLog, KeepsTheLastEntriesAndSaysHowManyLinesLeft) {
  ConsoleLog log(3);
  for (int i = 1; i <= 3; ++i) {
    const ui::ConsoleChange change = log.Add(Entry("e" + std::to_string(i), "a\nb"));
    EXPECT_EQ(change.droppedLines, 0u);
  }
  const ui::ConsoleChange change = log.Add(Entry("e4"));
  EXPECT_EQ(change.droppedLines, 3u);
  EXPECT_FALSE(change.reshaped);
  EXPECT_EQ(log.EntryCount(), 3u);
  EXPECT_EQ(Lines(log), "H*:e2\nR:a\nR:b\nH*:e3\nR:a\nR:b\nH*:e4\n");
}

// Past the budget the oldest long answers are cut at a line end, with a note; the newest is never
// cut, and entries go only when nothing is left to cut.
TEST(ConsoleLog, LongOldAnswersAreCutBeforeEntriesGo) {
  std::string answer;
  for (int i = 0; i < 1000; ++i) answer += "line " + std::to_string(i) + "\n";  // 8890 bytes
  ConsoleLog log(1000, 30000);  // an entry of it takes 12894 bytes
  log.Add(Entry("old", answer));
  log.Add(Entry("middle", answer));
  ui::ConsoleChange change = log.Add(Entry("new", answer));
  EXPECT_TRUE(change.reshaped);
  EXPECT_EQ(change.droppedLines, 0u);
  ASSERT_EQ(log.EntryCount(), 3u);
  EXPECT_LE(log.Bytes(), 30000u);
  const std::string text = log.Text(0, log.LineCount());
  EXPECT_EQ(text.substr(0, 10), "old\r\nline ");
  // 4096 bytes hold the lines up to "line 466" whole.
  EXPECT_NE(text.find("line 466\r\n（为节省内存"), std::string::npos) << "cut after a whole line";
  EXPECT_NE(text.find("line 466\r\n（为节省内存", text.find("middle")), std::string::npos);
  EXPECT_NE(text.find("line 999", text.find("new")), std::string::npos) << "the newest is whole";

  // Once nothing is left to cut, the oldest entries go.
  for (int i = 0; i < 5 && change.droppedLines == 0; ++i) change = log.Add(Entry("next", answer));
  EXPECT_GT(change.droppedLines, 0u);
  EXPECT_LE(log.Bytes(), 30000u);
  EXPECT_EQ(log.Line(0).text, "middle");
  EXPECT_EQ(log.Line(log.LineCount() - 1).text, "line 999");

  // A single line longer than what is kept is cut on a character boundary.
  ConsoleLog wide(1000, 5010);
  wide.Add(Entry("a", std::string(5000, 'x') + "汉字"));
  wide.Add(Entry("b"));
  EXPECT_EQ(wide.Line(1).text, std::string(ConsoleLog::kKeptOfCutAnswer, 'x'));
}

}  // namespace
