// A script as the workbench edits it: a name and a list of rows, each row one script line read
// into its directive and fields (a line this program cannot read is a raw row, kept whole). Every
// change can be undone and redone without limit; each one keeps only the rows it touched, so
// moving or undoing one row of a long script copies no other row. A listener hears what changed
// in terms of rows, so that a window repaints only those. Rows never hold a line break: text
// with line breaks becomes one row per line. GBK texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compose/line_checker.h"
#include "compose/script_line.h"

namespace compose {

// What one change did. After any change the undo state and the modified flag may differ too.
struct ScriptChange {
  enum class Kind : std::uint8_t {
    kRows,   // the removed rows from first on were replaced by the inserted ones
    kMoved,  // the count rows from first now start at row to; the rows between them shifted
    kName,   // the script's name
    kAll,    // another script altogether (opened or started anew)
    kState,  // only the modified flag (the script was saved)
  };
  Kind kind = Kind::kAll;
  std::size_t first = 0;
  std::size_t removed = 0;   // kRows
  std::size_t inserted = 0;  // kRows
  std::size_t count = 0;     // kMoved
  std::size_t to = 0;        // kMoved
  bool operator==(const ScriptChange&) const = default;
};

// The rows of a text: one per line (CRLF, LF or CR), empty lines left out, and at least one.
std::vector<ScriptLine> RowsOfText(std::string_view text);

// The directive of a row in words, as the main window labels its builder, e.g. "后台执行指令".
std::string_view RowCaption(const ScriptLine& row);

class ScriptModel {
 public:
  using Listener = std::function<void(const ScriptChange&)>;

  const std::string& Name() const { return name_; }
  std::size_t RowCount() const { return rows_.size(); }
  std::span<const ScriptLine> Rows() const { return rows_; }
  const ScriptLine& Row(std::size_t index) const { return rows_[index]; }
  // The row's line as the plugin reads it.
  std::string RowText(std::size_t index) const { return ComposeScriptLine(rows_[index]); }
  // What the line checker says of the row, in the order of its text.
  std::vector<LineNote> RowNotes(std::size_t index) const;

  // Another script: clears the undo history and counts as saved.
  void Reset(std::string name, std::vector<ScriptLine> rows);

  // Every change below is one step of undo. Each returns false, changing nothing, when an index
  // or range lies outside the script or the change would change nothing.

  // A builder's line at the end (several rows when it holds line breaks).
  bool Append(std::string_view line);
  bool Insert(std::size_t at, std::vector<ScriptLine> rows);
  // The row's fields edited; a line break in a field starts another row.
  bool Replace(std::size_t index, const ScriptLine& row);
  // The row's text edited: read again, so it may become another directive or several rows. (Not
  // "ReplaceText": windows.h makes that name a macro in every file that includes it.)
  bool ReplaceLine(std::size_t index, std::string_view text);
  // The count rows from first, moved so that they start at row to.
  bool Move(std::size_t first, std::size_t count, std::size_t to);
  bool MoveUp(std::size_t first, std::size_t count = 1);
  bool MoveDown(std::size_t first, std::size_t count = 1);
  // A copy of the count rows from first, right after them.
  bool Duplicate(std::size_t first, std::size_t count = 1);
  bool Remove(std::size_t first, std::size_t count = 1);
  // Rows at any places, for a selection that is not one block; indexes in any order.
  bool RemoveRows(std::vector<std::size_t> indexes);
  // A script name is one word: no line break (the plugin reads it up to the first space).
  bool Rename(std::string name);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  bool Undo();
  bool Redo();

  // Whether the script differs from what was last saved or opened.
  bool Modified() const;
  void MarkSaved();

  void SetListener(Listener listener) { listener_ = std::move(listener); }

 private:
  // One edit, which Apply performs and turns into its own inverse.
  struct Edit {
    enum class Kind : std::uint8_t { kSplice, kMove, kRename };
    Kind kind = Kind::kSplice;
    std::size_t first = 0;
    std::size_t count = 0;         // kSplice: rows taken out; kMove: rows moved
    std::size_t to = 0;            // kMove
    std::vector<ScriptLine> rows;  // kSplice: rows put in
    std::string name;              // kRename
  };
  // One step of undo: its edits in the order they were made.
  struct Step {
    std::vector<Edit> edits;
    std::uint64_t id = 0;
  };

  bool Do(std::vector<Edit> edits);
  bool Splice(std::size_t first, std::size_t count, std::vector<ScriptLine> rows);
  ScriptChange Apply(Edit& edit);
  void Notify(const ScriptChange& change);
  std::uint64_t CurrentId() const { return undo_.empty() ? 0 : undo_.back().id; }

  std::string name_;
  std::vector<ScriptLine> rows_;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
  std::uint64_t nextId_ = 1;
  std::uint64_t savedId_ = 0;
  Listener listener_;
};

}  // namespace compose
