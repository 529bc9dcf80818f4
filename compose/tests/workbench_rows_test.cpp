// The workbench's view of rows: the edit form gives every kind of line back byte for byte and
// writes an edited field where its directive puts it; the chat texts players read are found
// inside the line; notes read as one line; the selection follows each kind of change.
#include "compose/workbench_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using compose::ParseScriptLine;
using compose::ScriptChange;
using compose::TextSpan;

std::vector<std::string> TextsOf(const std::vector<compose::FormField>& form) {
  std::vector<std::string> texts;
  for (const compose::FormField& field : form) texts.push_back(field.text);
  return texts;
}

TEST(WorkbenchRows, AnUnchangedFormGivesTheLineBackAndAnEditLandsInItsField) {
  struct Case {
    std::string line;
    std::size_t fields;  // in the form of its directive
    std::size_t field;   // the field edited to "X"
    std::string edited;
  };
  const Case cases[] = {
      {"@console give %player% diamond 5", 1, 0, "@console X"},
      {"@bypass ", 1, 0, "@bypass X"},
      {"$cost:100", 2, 1, "$cost:100 X"},  // a field the line did not write, written now
      {"$cost:100 ", 2, 0, "$cost:X "},    // the empty field it wrote stays
      {"@title:&6欢迎##&7回来##10##60##10", 5, 3, "@title:&6欢迎##&7回来##10##X##10"},
      {"@title:主标题", 5, 1, "@title:主标题##X"},
      {"$item:57#####&b&l点券 100 &c不足", 4, 2, "$item:57#####&b&l点券 X &c不足"},
      {"$item:57 3 &c不足", 3, 1, "$item:57 X &c不足"},
      {"@perm:vip.use &c没有权限", 2, 0, "@perm:X &c没有权限"},
      {"@papi:%player_level%>=30 &c等级不够", 3, 1, "@papi:%player_level%>=X &c等级不够"},
      {"@papi:%player_health%<5", 3, 0, "@papi:%player_health%X5"},
      {"@delay:20", 1, 0, "@delay:X"},
      {"@msg:", 1, 0, "@msg:X"},
      {"hello world", 1, 0, "X"},
      {"", 1, 0, "X"},
  };
  for (const Case& c : cases) {
    const compose::ScriptLine row = ParseScriptLine(c.line);
    const std::vector<compose::FormField> form = compose::FormOfRow(row);
    ASSERT_EQ(form.size(), c.fields) << c.line;
    EXPECT_EQ(compose::FormOf(row.directive).fields.size(), c.fields) << c.line;
    std::vector<std::string> texts = TextsOf(form);
    EXPECT_EQ(compose::LineOfForm(row, texts), c.line);
    texts[c.field] = "X";
    EXPECT_EQ(compose::LineOfForm(row, texts), c.edited) << c.line;
  }
  EXPECT_EQ(compose::FormOfRow(ParseScriptLine("$item:57 3"))[2].label, "物品数量不足提示");
}

TEST(WorkbenchRows, ChatTextsAreFoundWhereTheLineHoldsThem) {
  struct Case {
    std::string line;
    std::vector<TextSpan> spans;
  };
  const Case cases[] = {
      {"@msg:&a公告", {{5, 6}}},
      {"@title:&6欢迎##&7回来##10##60##10", {{7, 6}, {15, 6}}},
      {"$item:57#####&b点券 100 &c不足", {{13, 6}, {24, 6}}},
      {"$cost:100", {}},
      {"$cost:100 &c钱不够", {{10, 8}}},
      {"@papi:%player_level%>=30 &c等级不够", {{25, 10}}},
      {"@console say &a hi", {}},  // a command, not chat text
      {"@msg:", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compose::ChatTextSpans(ParseScriptLine(c.line)), c.spans) << c.line;
  }
}

TEST(WorkbenchRows, NotesReadAsOneLineAndRowsAsSpeech) {
  using compose::NoteKind;
  const std::vector<compose::LineNote> notes = {{NoteKind::kHexColour, 5, 6, "需要1.16"},
                                                {NoteKind::kNotANumber, 6, 7, "不是数字"}};
  EXPECT_EQ(compose::SummarizeNotes(notes),
            (compose::NotesLine{"第6字处：需要1.16；第7字处：不是数字", true}));
  EXPECT_EQ(compose::SummarizeNotes({notes.data(), 1}),
            (compose::NotesLine{"第6字处：需要1.16", false}));
  EXPECT_EQ(compose::SummarizeNotes({}), compose::NotesLine{});
  EXPECT_EQ(compose::SpokenRow(2, ParseScriptLine("@console say hi"), ""),
            "第3行，后台执行指令：@console say hi");
  EXPECT_EQ(compose::SpokenRow(0, ParseScriptLine("$cost:x"), "第7字处：不是数字"),
            "第1行，消耗金钱执行：$cost:x。检查：第7字处：不是数字");
}

TEST(WorkbenchRows, TheSelectionFollowsEachChange) {
  using Kind = ScriptChange::Kind;
  struct Case {
    ScriptChange change;
    std::optional<std::size_t> selected;
    std::size_t rows;
    std::optional<std::size_t> after;
  };
  const Case cases[] = {
      {{.kind = Kind::kRows, .first = 5, .inserted = 1}, 2, 6, 5},                // appended
      {{.kind = Kind::kRows, .first = 3, .inserted = 2}, 2, 9, 4},                // pasted
      {{.kind = Kind::kRows, .first = 2, .removed = 1, .inserted = 1}, 2, 6, 2},  // edited
      {{.kind = Kind::kRows, .first = 2, .removed = 1}, 2, 5, 2},                 // deleted
      {{.kind = Kind::kRows, .first = 5, .removed = 1}, 5, 5, 4},                 // the last
      {{.kind = Kind::kRows, .first = 0, .removed = 1}, 0, 0, std::nullopt},      // the only
      {{.kind = Kind::kMoved, .first = 4, .count = 1, .to = 3}, 4, 6, 3},         // up
      {{.kind = Kind::kMoved, .first = 3, .count = 1, .to = 4}, 3, 6, 4},         // undone
      {{.kind = Kind::kAll}, 7, 3, 0},
      {{.kind = Kind::kName}, 2, 3, 2},
      {{.kind = Kind::kState}, std::nullopt, 3, std::nullopt},
      {{.kind = Kind::kState}, 5, 3, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compose::SelectionAfter(c.change, c.selected, c.rows), c.after)
        << static_cast<int>(c.change.kind) << " " << c.change.first;
  }
}

}  // namespace
