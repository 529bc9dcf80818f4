// The commands the admin copied from the composer, newest first, to find and copy again. It
// holds the last kHistoryLimit distinct commands: copying one that is there moves it to the top.
// Kept as a UTF-8 file (one command a line, "\" escaping backslashes and line breaks) under a
// comment line; a file that is damaged or not ours reads as an empty history and is replaced at
// the next save. GBK texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/unicode.h"

namespace compose {

inline constexpr std::size_t kHistoryLimit = 500;
// A longer text (the script-line box can hold megabytes) is not kept: the history file stays
// under the size the program reads, kMaxScriptFileBytes, whatever is copied.
inline constexpr std::size_t kHistoryEntryLimit = 16 * 1024;

class CommandHistory {
 public:
  // Puts command first. False, changing nothing, for an empty command or one over the limit.
  bool Add(std::string_view command);
  bool Remove(std::size_t index);
  void Clear() { entries_.clear(); }

  const std::vector<std::string>& Entries() const { return entries_; }

  // The indexes of the entries holding text, newest first; ASCII letters match either case.
  // Every entry for an empty text.
  std::vector<std::size_t> Search(std::string_view text) const;

 private:
  std::vector<std::string> entries_;
};

CommandHistory ParseHistory(std::string_view bytes, const base::GbkCodec& codec);
std::string FormatHistory(const CommandHistory& history, const base::GbkCodec& codec);

}  // namespace compose
