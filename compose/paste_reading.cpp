// The import's readings of pasted text (GBK). The chosen joins are kept as rows of the first
// reading, so a choice can be taken back whatever was chosen after it.
#include "compose/paste_reading.h"

#include <algorithm>

namespace compose {

PasteReading::PasteReading(std::string_view text) : original_(ReadPastedText(text)) {
  names_ = original_.names;
  if (names_.size() > 1) {
    KeepScript(0);
  } else {
    Read();
  }
}

void PasteReading::KeepScript(std::size_t index) {
  if (index >= names_.size()) return;
  kept_ = index;
  joined_.clear();
  Read();
}

bool PasteReading::CanJoin(std::size_t row) const {
  return row < current_.rows.size() && current_.rows[row].ambiguous;
}

bool PasteReading::CanSplit(std::size_t row) const {
  if (row >= origins_.size()) return false;
  const std::size_t end = row + 1 < origins_.size() ? origins_[row + 1] : original_.rows.size();
  const auto next = joined_.upper_bound(origins_[row]);
  return next != joined_.end() && *next < end;
}

bool PasteReading::Join(std::size_t row) {
  if (!CanJoin(row)) return false;
  joined_.insert(origins_[row]);
  Read();
  return true;
}

bool PasteReading::Split(std::size_t row) {
  if (!CanSplit(row)) return false;
  const std::size_t end = row + 1 < origins_.size() ? origins_[row + 1] : original_.rows.size();
  joined_.erase(joined_.upper_bound(origins_[row]), joined_.lower_bound(end));
  Read();
  return true;
}

// The first reading, with the script kept, then each chosen join from the last row up: a join
// touches only the rows at and before it, so the ones above still find their rows. A join the
// rows no longer allow is dropped.
void PasteReading::Read() {
  current_ = original_;
  if (names_.size() > 1) {
    // Rows of no script keep their place; the rows of other scripts go, so indexes are mapped.
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < original_.rows.size(); ++i) {
      const int script = original_.rows[i].script;
      if (script == -1 || script == static_cast<int>(kept_)) kept.push_back(i);
    }
    compose::KeepScript(current_, kept_);
    origins_ = std::move(kept);
  } else {
    origins_.resize(current_.rows.size());
    for (std::size_t i = 0; i < origins_.size(); ++i) origins_[i] = i;
  }
  for (auto join = joined_.rbegin(); join != joined_.rend();) {
    const auto at = std::find(origins_.begin(), origins_.end(), *join);
    const auto row = static_cast<std::size_t>(at - origins_.begin());
    if (at != origins_.end() && JoinWithPrevious(current_, row)) {
      origins_.erase(at);
      ++join;
    } else {
      join = std::make_reverse_iterator(joined_.erase(std::next(join).base()));
    }
  }
}

}  // namespace compose
