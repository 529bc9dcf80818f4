// What the workbench shows of each row of a script and how its edit form reads and writes a row:
// the parts of the line players read (drawn as the chat draws them), the checker's notes in one
// line, what a screen reader says for the row, the form's fields, and which row is selected after
// a change. GBK texts.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compose/line_checker.h"
#include "compose/script_line.h"
#include "compose/script_model.h"

namespace compose {

struct TextSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  bool operator==(const TextSpan&) const = default;
};

// Where the row's chat texts (messages, titles, item names) lie in ComposeScriptLine(row), in
// order; empty ones are left out.
std::vector<TextSpan> ChatTextSpans(const ScriptLine& row);

// The checker's notes of a row in one line, each with the character it starts at, and whether any
// of them is a problem (a hex colour note is information only). Empty text: nothing to say.
struct NotesLine {
  std::string text;
  bool problem = false;
  bool operator==(const NotesLine&) const = default;
};
NotesLine SummarizeNotes(std::span<const LineNote> notes);

// What a screen reader says for row index (0-based): its number, its directive in words, its
// line and its notes.
std::string SpokenRow(std::size_t index, const ScriptLine& row, std::string_view notes);

// One input of the edit form: the field's label and what the row holds in it (empty for a field
// the line does not write).
struct FormField {
  std::string_view label;
  std::string text;
  bool operator==(const FormField&) const = default;
};
std::vector<FormField> FormOfRow(const ScriptLine& row);

// The line the form makes from texts (one per FormOfRow entry): the directive's literal and
// separators around them. The fields the row wrote are all written, and any after them that now
// hold something, so an unchanged form gives the row's own bytes back.
std::string LineOfForm(const ScriptLine& row, std::span<const std::string> texts);

// The row to select after a change: the last row a change put in, the row a move took, the row
// after removed ones (or the last), the first of another script; nothing for an empty script.
[[nodiscard]] std::optional<std::size_t> SelectionAfter(const ScriptChange& change,
                                                        std::optional<std::size_t> selected,
                                                        std::size_t rowCount);

}  // namespace compose
