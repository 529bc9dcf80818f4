// The command choosers of page "脚本编辑" as data: for each chooser its button, its drop-down list
// and one row per item, each row a short list of steps (set the command output box, ask a text,
// append or set the answers). One routine walks any of them. GBK texts.
#pragma once

#include <span>
#include <string_view>

#include "ui/ids.h"

namespace compose {

// The command that adds a script line: this, the script's name, one space and the line.
inline constexpr std::string_view kAddLineCommand = "/vrnl add ";

// A text prompt dialog: its title and the prompt shown above the entry field.
struct Question {
  std::string_view title;
  std::string_view prompt;
};

enum class StepKind {
  kSet,             // the command output box's whole text becomes literal
  kAsk,             // asks question; a cancelled dialog counts as the empty answer
  kAppendAnswers,   // appends the first answerCount answers, one space between them
  kSetWithAnswers,  // sets literal followed by the first answerCount answers, spaced the same
};

// Answers that were never asked are empty, so a step can join more answers than were asked.
struct CommandStep {
  StepKind kind = StepKind::kSet;
  std::string_view literal;
  const Question* question = nullptr;
  int answerCount = 0;
};

constexpr CommandStep Set(std::string_view literal) {
  return {StepKind::kSet, literal, nullptr, 0};
}
constexpr CommandStep Ask(const Question& question) {
  return {StepKind::kAsk, {}, &question, 0};
}
constexpr CommandStep AppendAnswers(int count) {
  return {StepKind::kAppendAnswers, {}, nullptr, count};
}
constexpr CommandStep SetWithAnswers(std::string_view literal, int count) {
  return {StepKind::kSetWithAnswers, literal, nullptr, count};
}

// One item of a chooser, compared byte for byte with the chosen item's text.
struct CommandRow {
  std::string_view item;
  std::span<const CommandStep> steps;
};

struct Chooser {
  ui::ControlId button;
  ui::ControlId comboBox;
  std::span<const CommandRow> rows;        // first equal item wins
  std::span<const CommandStep> otherwise;  // nothing chosen (or a text no row names)
};

// The four choosers, in page order (按钮1 to 按钮4).
std::span<const Chooser> Choosers();

// Reads the chooser's chosen item and runs the steps of the first row that names it.
void ComposeCommand(const Chooser& chooser);

}  // namespace compose
