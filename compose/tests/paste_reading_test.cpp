// The import's readings: each ambiguous split can be taken as one line and taken back, in any
// order, the other choices staying as they were; with several scripts, the kept one's rows.
#include "compose/paste_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each row as "~" when it may join the row before, "|" when it may be split, then its text.
std::vector<std::string> Rows(const compose::PasteReading& reading) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < reading.RowCount(); ++i) {
    rows.push_back(std::string(reading.CanJoin(i) ? "~" : "") + (reading.CanSplit(i) ? "|" : "") +
                   reading.RowText(i));
  }
  return rows;
}

TEST(PasteReading, EachReadingIsChosenAndTakenBackOnItsOwn) {
  compose::PasteReading reading("@msg:a @command x @console y\n@delay:5@msg:b@command c");
  ASSERT_EQ(Rows(reading), (std::vector<std::string>{"@msg:a ", "~@command x ", "~@console y",
                                                     "@delay:5", "@msg:b", "~@command c"}));
  EXPECT_FALSE(reading.Join(0));
  EXPECT_FALSE(reading.Join(4)) << "a number ends where a directive starts";
  EXPECT_FALSE(reading.Split(0));
  EXPECT_TRUE(reading.Join(2));
  EXPECT_TRUE(reading.Join(4));
  EXPECT_EQ(Rows(reading), (std::vector<std::string>{"@msg:a ", "~|@command x @console y",
                                                     "@delay:5", "|@msg:b@command c"}));
  EXPECT_TRUE(reading.Join(1));
  EXPECT_EQ(Rows(reading), (std::vector<std::string>{"|@msg:a @command x @console y", "@delay:5",
                                                     "|@msg:b@command c"}));
  // Taking back the first row's reading splits it where the text was split at first.
  EXPECT_TRUE(reading.Split(0));
  EXPECT_EQ(Rows(reading), (std::vector<std::string>{"@msg:a ", "~@command x ", "~@console y",
                                                     "@delay:5", "|@msg:b@command c"}));
  EXPECT_EQ(reading.Lines().back().directive, compose::Directive::kMessage);
  EXPECT_TRUE(reading.Split(4));
  EXPECT_EQ(reading.RowCount(), 6u);
}

TEST(PasteReading, SeveralScriptsImportTheKeptOneWithTheLooseRows) {
  compose::PasteReading reading(
      "/vrnl add a @msg:1@msg:2\n@msg:x@msg:y\n/vrnl add b @msg:3\n/vrnl create c");
  EXPECT_EQ(reading.Names(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Rows(reading), (std::vector<std::string>{"@msg:1@msg:2", "@msg:x", "~@msg:y"}));
  EXPECT_TRUE(reading.Join(2));
  reading.KeepScript(1);
  EXPECT_EQ(reading.KeptScript(), 1u);
  EXPECT_EQ(Rows(reading), (std::vector<std::string>{"@msg:x", "~@msg:y", "@msg:3"}));
  EXPECT_TRUE(reading.Join(1));
  EXPECT_EQ(Rows(reading), (std::vector<std::string>{"|@msg:x@msg:y", "@msg:3"}));
  reading.KeepScript(2);
  EXPECT_EQ(Rows(reading), (std::vector<std::string>{"@msg:x", "~@msg:y"}));
  EXPECT_EQ(compose::PasteReading("").RowCount(), 0u);
}

}  // namespace
