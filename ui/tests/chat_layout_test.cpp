// Laying out the colour-code preview: chat runs broken into pieces at line breaks and at the
// popup's width, the line limit and its "……" line, the note lines and their limit, the sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/gbk.h"
#include "ui/chat_layout.h"

namespace {

using ui::ChatNote;
using ui::ChatRun;
using ui::ChatStyle;

// 6 pixels an ASCII character (7 bold), 16 a double-byte one; '#' is wider than a whole line.
class FixedMeasure : public ui::ChatMeasure {
 public:
  void CharacterEnds(std::u16string_view text, const ChatStyle& style,
                     std::span<int> ends) override {
    int x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      x += text[i] == u'#' ? 600 : text[i] >= 0x2E80 ? 16 : style.bold ? 7 : 6;
      ends[i] = x;
    }
  }
  int NoteWidth(std::u16string_view text) override { return 5 * static_cast<int>(text.size()); }
};

// Every double-byte character reads as 中, which is all the texts here hold.
std::u16string FakeWideFromGbk(std::string_view gbk) {
  std::u16string wide;
  for (size_t i = 0; i < gbk.size(); i += base::CharLength(gbk, i)) {
    wide += base::CharLength(gbk, i) == 1 ? static_cast<char16_t>(gbk[i]) : u'中';
  }
  return wide;
}

ui::ChatLayout Lay(std::vector<ChatRun> runs, std::vector<ChatNote> notes = {}) {
  FixedMeasure measure;
  return ui::LayOutChat({std::move(runs), {}}, notes, measure, &FakeWideFromGbk);
}

ChatRun Text(std::string text, bool bold = false) {
  ChatRun run;
  run.text = std::move(text);
  run.style.bold = bold;
  return run;
}

struct Placed {
  std::u16string text;
  int x;
  int line;
  int width;
  bool operator==(const Placed&) const = default;
};

void PrintTo(const Placed& placed, std::ostream* out) {
  *out << placed.text.size() << " units at (" << placed.x << ", " << placed.line << ") width "
       << placed.width;
}

std::vector<Placed> PlacedOf(const ui::ChatLayout& layout) {
  std::vector<Placed> placed;
  for (const ui::ChatPiece& piece : layout.pieces) {
    placed.push_back({piece.text, piece.x, piece.line, piece.width});
  }
  return placed;
}

TEST(LayOutChat, BreaksAtLineBreaksAndAtTheWidth) {
  const std::string hundred(100, 'a');
  const struct {
    const char* name;
    std::vector<ChatRun> runs;
    std::vector<Placed> pieces;
  } kCases[] = {
      {"CR LF and LF start lines; CR alone is dropped",
       {Text("ab\r\ncd\n\nef")},
       {{u"ab", 0, 0, 12}, {u"cd", 0, 1, 12}, {u"ef", 0, 3, 12}}},
      {"a run goes on where the one before ended, in its own font",
       {Text("ab"), Text("cd", true), Text("中")},
       {{u"ab", 0, 0, 12}, {u"cd", 12, 0, 14}, {u"中", 26, 0, 16}}},
      // 550 pixels between the paddings hold 91 characters of 6.
      {"wraps at the width",
       {Text(hundred)},
       {{std::u16string(91, u'a'), 0, 0, 546}, {std::u16string(9, u'a'), 0, 1, 54}}},
      {"a run that does not fit where the line is starts the next line",
       {Text(std::string(90, 'a')), Text("中中")},
       {{std::u16string(90, u'a'), 0, 0, 540}, {u"中中", 0, 1, 32}}},
      {"a character wider than a line has a line of its own",
       {Text("ab"), Text("#c")},
       {{u"ab", 0, 0, 12}, {u"#", 0, 1, 600}, {u"c", 0, 2, 6}}},
  };
  for (const auto& c : kCases) {
    const ui::ChatLayout layout = Lay(c.runs);
    EXPECT_EQ(PlacedOf(layout), c.pieces) << c.name;
    EXPECT_FALSE(layout.obfuscated) << c.name;
  }
}

TEST(LayOutChat, LineLimitEndsWithAnEllipsisLine) {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "a\n";
  const ui::ChatLayout cut = Lay({Text(text)});
  ASSERT_EQ(cut.pieces.size(), static_cast<size_t>(ui::kChatMaxLines) + 1);
  const ui::ChatPiece& more = cut.pieces.back();
  EXPECT_EQ(more.text, u"……");
  EXPECT_EQ(more.line, ui::kChatMaxLines);
  EXPECT_EQ(more.style.colour, 7);
  EXPECT_EQ(cut.chatHeight, (ui::kChatMaxLines + 1) * 20 + 10);

  // Sixteen lines exactly fit, a second run going on on the last: no ellipsis.
  text.resize(2 * ui::kChatMaxLines - 1);
  const ui::ChatLayout full = Lay({Text(text), Text("b")});
  EXPECT_EQ(PlacedOf(full).back(), (Placed{u"b", 6, ui::kChatMaxLines - 1, 6}));
  EXPECT_EQ(full.pieces.size(), static_cast<size_t>(ui::kChatMaxLines) + 1);
  EXPECT_EQ(full.chatHeight, ui::kChatMaxLines * 20 + 10);
}

TEST(LayOutChat, ObfuscatedPiecesKnowWhereEachCharacterStarts) {
  ChatRun run = Text(std::string(95, 'x'));
  run.style.obfuscated = true;
  const ui::ChatLayout layout = Lay({Text("ab"), run});
  ASSERT_EQ(layout.pieces.size(), 3u);
  EXPECT_TRUE(layout.obfuscated);
  EXPECT_TRUE(layout.pieces[0].starts.empty());
  const std::vector<int>& first = layout.pieces[1].starts;  // 89 fit after "ab"
  ASSERT_EQ(first.size(), 89u);
  EXPECT_EQ(first[0], 0);
  EXPECT_EQ(first[1], 6);
  EXPECT_EQ(first.back(), 88 * 6);
  EXPECT_EQ(layout.pieces[2].starts, (std::vector<int>{0, 6, 12, 18, 24, 30}));
}

TEST(LayOutChat, NotesThenCodeProblemsWithinTheirLimit) {
  ui::ChatLine chat{{Text("a")}, ui::ReadChatCodes("&z&#123456").problems};
  ASSERT_EQ(chat.problems.size(), 2u);
  FixedMeasure measure;
  {
    const std::vector<ChatNote> notes{{"long", false}, {"bad", true}};
    const ui::ChatLayout layout = ui::LayOutChat(chat, notes, measure, &FakeWideFromGbk);
    ASSERT_EQ(layout.notes.size(), 4u);
    EXPECT_EQ(layout.notes[0], (ui::ChatNoteLine{u"※ long", false}));
    EXPECT_EQ(layout.notes[1], (ui::ChatNoteLine{u"！ bad", true}));
    EXPECT_EQ(layout.notes[2].text.substr(0, 2), u"！ ");  // an unknown code is a problem
    EXPECT_TRUE(layout.notes[2].problem);
    EXPECT_EQ(layout.notes[3].text.substr(0, 2), u"※ ");  // a hex colour is information
    EXPECT_FALSE(layout.notes[3].problem);
  }
  {
    // Six lines hold six notes; a seventh leaves five and a line counting the rest.
    const std::vector<ChatNote> four(4, ChatNote{"n", true});
    EXPECT_EQ(ui::LayOutChat(chat, four, measure, &FakeWideFromGbk).notes.size(), 6u);
    const std::vector<ChatNote> five(5, ChatNote{"n", true});
    const ui::ChatLayout layout = ui::LayOutChat(chat, five, measure, &FakeWideFromGbk);
    ASSERT_EQ(layout.notes.size(), ui::kMaxNoteLines);
    EXPECT_EQ(layout.notes[4].text, u"！ n");
    EXPECT_EQ(layout.notes.back(), (ui::ChatNoteLine{u"！ 还有 2 处问题", true}));
  }
}

TEST(LayOutChat, SizeHoldsTheWidestLineAndTheNotes) {
  {
    const ui::ChatLayout layout = Lay({Text("abc\nab")});
    EXPECT_EQ(layout.width, 18 + 10);
    EXPECT_EQ(layout.height, 2 * 20 + 10);
    EXPECT_EQ(layout.chatHeight, layout.height);
  }
  {
    // A note wider than the chat widens the popup; nothing is wider than the width allowed.
    const ui::ChatLayout layout = Lay({Text("abc")}, {{"0123456789", true}});
    EXPECT_EQ(layout.width, 12 * 5 + 10);
    EXPECT_EQ(layout.height, 20 + 10 + 16 + 10);
    EXPECT_EQ(Lay({Text("#")}).width, ui::kChatMaxWidth);
  }
}

}  // namespace
