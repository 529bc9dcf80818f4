// Pasted text as the workbench's import shows it before anything is added: the rows it reads,
// and where a split of glued lines has a second reading (a message or command that holds a
// directive's literal), both readings for the user to choose from, one row at a time. When the
// text holds add commands of several scripts, the user picks the one to import. GBK texts.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "compose/script_commands.h"
#include "compose/script_line.h"

namespace compose {

class PasteReading {
 public:
  explicit PasteReading(std::string_view text);

  // The scripts the pasted commands name, in order; the first is the one imported unless another
  // is kept.
  const std::vector<std::string>& Names() const { return names_; }
  // Imports only the rows of script names[index] and those of no script. Readings chosen so far
  // are forgotten.
  void KeepScript(std::size_t index);
  std::size_t KeptScript() const { return kept_; }

  std::size_t RowCount() const { return current_.rows.size(); }
  const std::string& RowText(std::size_t row) const { return current_.rows[row].line; }
  // The row may also be read as the end of the row before it.
  bool CanJoin(std::size_t row) const;
  // The row was made by joining: it may be read as separate rows again.
  bool CanSplit(std::size_t row) const;
  // Takes the other reading of the row: joined to the row before, or split where it was.
  bool Join(std::size_t row);
  bool Split(std::size_t row);

  std::vector<ScriptLine> Lines() const { return PastedLines(current_); }

 private:
  void Read();

  PastedScript original_;
  std::vector<std::string> names_;
  std::size_t kept_ = 0;
  std::set<std::size_t> joined_;  // rows of original_ read as the end of the row before them
  PastedScript current_;
  std::vector<std::size_t> origins_;  // the row of original_ each row of current_ starts with
};

}  // namespace compose
