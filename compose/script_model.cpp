// The script model and its undo history (GBK texts). Rows are kept as ParseScriptLine reads their
// text, so a row shows the fields the plugin will see, whatever an edit put into them.
#include "compose/script_model.h"

#include <algorithm>
#include <iterator>

namespace compose {
namespace {

constexpr std::string_view kLineBreaks = "\r\n";

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(kLineBreaks) != std::string_view::npos;
}

// The row as the plugin reads its text; a line break in it makes more rows.
void AppendNormalRows(std::vector<ScriptLine>& rows, const ScriptLine& row) {
  const std::string text = ComposeScriptLine(row);
  if (HasLineBreak(text)) {
    std::vector<ScriptLine> more = RowsOfText(text);
    std::move(more.begin(), more.end(), std::back_inserter(rows));
  } else {
    rows.push_back(ParseScriptLine(text));
  }
}

std::vector<ScriptLine> NormalRows(std::span<const ScriptLine> rows) {
  std::vector<ScriptLine> normal;
  normal.reserve(rows.size());
  for (const ScriptLine& row : rows) AppendNormalRows(normal, row);
  return normal;
}

}  // namespace

std::vector<ScriptLine> RowsOfText(std::string_view text) {
  std::vector<ScriptLine> rows;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of(kLineBreaks), text.size());
    if (end > 0) rows.push_back(ParseScriptLine(text.substr(0, end)));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  if (rows.empty()) rows.push_back(ParseScriptLine({}));
  return rows;
}

std::string_view RowCaption(const ScriptLine& row) {
  switch (row.directive) {
    case Directive::kBypass:
      return "OP权限执行";
    case Directive::kCommand:
      return "普通玩家执行";
    case Directive::kConsole:
      return "后台执行指令";
    case Directive::kCost:
      return "消耗金钱执行";
    case Directive::kMessage:
      return "发送ActionBar信息";
    case Directive::kTitle:
      return "发送Title信息";
    case Directive::kItem:
    case Directive::kItemWithoutName:
      return "消耗指定物品执行";
    case Directive::kPermission:
      return "指定权限执行脚本";
    case Directive::kLevel:
      return "指定等级执行脚本";
    case Directive::kHealth:
      return "指定血量执行脚本";
    case Directive::kDelay:
      return "增加脚本运行延迟";
    case Directive::kRaw:
      break;
  }
  const std::string_view text = row.fields.empty() ? std::string_view() : row.fields[0];
  if (text.empty()) return "空行";
  // The plugin tests any placeholder; this program builds only the level and health ones.
  if (text.starts_with("@papi:")) return "其他变量条件";
  return "无法识别的脚本行";
}

std::vector<LineNote> ScriptModel::RowNotes(std::size_t index) const {
  return CheckScriptLine(RowText(index));
}

void ScriptModel::Reset(std::string name, std::vector<ScriptLine> rows) {
  name_ = std::move(name);
  rows_ = std::move(rows);
  undo_.clear();
  redo_.clear();
  savedId_ = 0;
  Notify({.kind = ScriptChange::Kind::kAll});
}

bool ScriptModel::Append(std::string_view line) {
  return Splice(rows_.size(), 0, RowsOfText(line));
}

bool ScriptModel::Insert(std::size_t at, std::vector<ScriptLine> rows) {
  if (at > rows_.size() || rows.empty()) return false;
  return Splice(at, 0, NormalRows(rows));
}

bool ScriptModel::Replace(std::size_t index, const ScriptLine& row) {
  if (index >= rows_.size()) return false;
  std::vector<ScriptLine> rows;
  AppendNormalRows(rows, row);
  if (rows.size() == 1 && rows[0] == rows_[index]) return false;
  return Splice(index, 1, std::move(rows));
}

bool ScriptModel::ReplaceLine(std::size_t index, std::string_view text) {
  if (index >= rows_.size()) return false;
  std::vector<ScriptLine> rows = RowsOfText(text);
  if (rows.size() == 1 && rows[0] == rows_[index]) return false;
  return Splice(index, 1, std::move(rows));
}

bool ScriptModel::Move(std::size_t first, std::size_t count, std::size_t to) {
  if (count == 0 || first > rows_.size() || count > rows_.size() - first ||
      to > rows_.size() - count || to == first) {
    return false;
  }
  std::vector<Edit> edits(1);
  edits[0] = {.kind = Edit::Kind::kMove, .first = first, .count = count, .to = to};
  return Do(std::move(edits));
}

bool ScriptModel::MoveUp(std::size_t first, std::size_t count) {
  return first > 0 && Move(first, count, first - 1);
}

bool ScriptModel::MoveDown(std::size_t first, std::size_t count) {
  return Move(first, count, first + 1);
}

bool ScriptModel::Duplicate(std::size_t first, std::size_t count) {
  if (count == 0 || first > rows_.size() || count > rows_.size() - first) return false;
  const auto begin = rows_.begin() + static_cast<std::ptrdiff_t>(first);
  return Splice(first + count, 0,
                std::vector<ScriptLine>(begin, begin + static_cast<std::ptrdiff_t>(count)));
}

bool ScriptModel::Remove(std::size_t first, std::size_t count) {
  if (count == 0 || first > rows_.size() || count > rows_.size() - first) return false;
  return Splice(first, count, {});
}

bool ScriptModel::RemoveRows(std::vector<std::size_t> indexes) {
  std::sort(indexes.begin(), indexes.end(), std::greater<>());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  if (indexes.empty() || indexes.front() >= rows_.size()) return false;
  // From the last row up, so each index still names its row; neighbours go in one edit.
  std::vector<Edit> edits;
  for (std::size_t i = 0; i < indexes.size();) {
    std::size_t j = i + 1;
    while (j < indexes.size() && indexes[j] + 1 == indexes[j - 1]) ++j;
    edits.push_back({.kind = Edit::Kind::kSplice, .first = indexes[j - 1], .count = j - i});
    i = j;
  }
  return Do(std::move(edits));
}

bool ScriptModel::Rename(std::string name) {
  if (name == name_ || HasLineBreak(name)) return false;
  std::vector<Edit> edits(1);
  edits[0] = {.kind = Edit::Kind::kRename, .name = std::move(name)};
  return Do(std::move(edits));
}

bool ScriptModel::Undo() {
  if (undo_.empty()) return false;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  std::vector<ScriptChange> changes;
  for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit) {
    changes.push_back(Apply(*edit));
  }
  redo_.push_back(std::move(step));
  for (const ScriptChange& change : changes) Notify(change);
  return true;
}

bool ScriptModel::Redo() {
  if (redo_.empty()) return false;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  std::vector<ScriptChange> changes;
  for (Edit& edit : step.edits) changes.push_back(Apply(edit));
  undo_.push_back(std::move(step));
  for (const ScriptChange& change : changes) Notify(change);
  return true;
}

bool ScriptModel::Modified() const {
  return CurrentId() != savedId_;
}

void ScriptModel::MarkSaved() {
  savedId_ = CurrentId();
  Notify({.kind = ScriptChange::Kind::kState});
}

bool ScriptModel::Do(std::vector<Edit> edits) {
  std::vector<ScriptChange> changes;
  for (Edit& edit : edits) changes.push_back(Apply(edit));
  // The redone steps are gone for good: a state saved among them can never come back.
  redo_.clear();
  undo_.push_back({std::move(edits), nextId_++});
  // The listener hears of the change once the undo state is up to date too.
  for (const ScriptChange& change : changes) Notify(change);
  return true;
}

bool ScriptModel::Splice(std::size_t first, std::size_t count, std::vector<ScriptLine> rows) {
  std::vector<Edit> edits(1);
  edits[0] = {.kind = Edit::Kind::kSplice, .first = first, .count = count, .rows = std::move(rows)};
  return Do(std::move(edits));
}

ScriptChange ScriptModel::Apply(Edit& edit) {
  const auto at = [this](std::size_t index) {
    return rows_.begin() + static_cast<std::ptrdiff_t>(index);
  };
  switch (edit.kind) {
    case Edit::Kind::kSplice: {
      const std::size_t removed = edit.count;
      const std::size_t inserted = edit.rows.size();
      if (removed == inserted) {
        std::swap_ranges(edit.rows.begin(), edit.rows.end(), at(edit.first));
      } else {
        std::vector<ScriptLine> out(std::make_move_iterator(at(edit.first)),
                                    std::make_move_iterator(at(edit.first + removed)));
        rows_.erase(at(edit.first), at(edit.first + removed));
        rows_.insert(at(edit.first), std::make_move_iterator(edit.rows.begin()),
                     std::make_move_iterator(edit.rows.end()));
        edit.rows = std::move(out);
      }
      edit.count = inserted;
      return {.kind = ScriptChange::Kind::kRows,
              .first = edit.first,
              .removed = removed,
              .inserted = inserted};
    }
    case Edit::Kind::kMove: {
      if (edit.to < edit.first) {
        std::rotate(at(edit.to), at(edit.first), at(edit.first + edit.count));
      } else {
        std::rotate(at(edit.first), at(edit.first + edit.count), at(edit.to + edit.count));
      }
      const ScriptChange change{.kind = ScriptChange::Kind::kMoved,
                                .first = edit.first,
                                .count = edit.count,
                                .to = edit.to};
      std::swap(edit.first, edit.to);
      return change;
    }
    case Edit::Kind::kRename:
      break;
  }
  std::swap(name_, edit.name);
  return {.kind = ScriptChange::Kind::kName};
}

void ScriptModel::Notify(const ScriptChange& change) {
  if (listener_) listener_(change);
}

}  // namespace compose
