// The command history and its file (GBK inside, UTF-8 in the file). Escapes are read and written
// by walking characters, so the trail byte 0x5C of a double-byte character is never a backslash.
#include "compose/command_history.h"

#include <algorithm>

#include "base/gbk.h"
#include "base/text_ops.h"
#include "compose/script_file.h"

namespace compose {
namespace {

constexpr std::string_view kHistoryComment = "# Command composer: copied commands, newest first";

std::string Escaped(std::string_view entry) {
  std::string line;
  line.reserve(entry.size());
  for (std::size_t at = 0; at < entry.size();) {
    const std::size_t length = base::CharLength(entry, at);
    const char c = entry[at];
    if (length == 1 && c == '\\') {
      line += "\\\\";
    } else if (length == 1 && c == '\r') {
      line += "\\r";
    } else if (length == 1 && c == '\n') {
      line += "\\n";
    } else {
      line.append(entry, at, length);
    }
    at += length;
  }
  return line;
}

// A backslash before anything else than "\", "r" or "n" was written by hand and stays.
std::string Unescaped(std::string_view line) {
  std::string entry;
  entry.reserve(line.size());
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t length = base::CharLength(line, at);
    const char next = at + 1 < line.size() ? line[at + 1] : '\0';
    if (length == 1 && line[at] == '\\' && (next == '\\' || next == 'r' || next == 'n')) {
      entry += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
      at += 2;
    } else {
      entry.append(line, at, length);
      at += length;
    }
  }
  return entry;
}

}  // namespace

bool CommandHistory::Add(std::string_view command) {
  if (command.empty() || command.size() > kHistoryEntryLimit) return false;
  const auto found = std::find(entries_.begin(), entries_.end(), command);
  if (found != entries_.end()) {
    std::rotate(entries_.begin(), found, found + 1);
    return true;
  }
  if (entries_.size() == kHistoryLimit) entries_.pop_back();
  entries_.insert(entries_.begin(), std::string(command));
  return true;
}

bool CommandHistory::Remove(std::size_t index) {
  if (index >= entries_.size()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

std::vector<std::size_t> CommandHistory::Search(std::string_view text) const {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (text.empty() || base::Find(entries_[i], text, 1, true) > 0) found.push_back(i);
  }
  return found;
}

CommandHistory ParseHistory(std::string_view bytes, const base::GbkCodec& codec) {
  CommandHistory history;
  if (bytes.size() > kMaxScriptFileBytes) return history;
  const std::optional<std::string> text = GbkFromUtf8File(bytes, codec);
  if (!text) return history;
  const std::vector<std::string_view> lines = FileLines(*text);
  if (lines.empty() || lines[0] != kHistoryComment) return history;
  // Oldest first, so that each Add puts its entry on top and a repeated one keeps its newest place.
  for (auto line = lines.rbegin(); line + 1 != lines.rend(); ++line) {
    if (!line->empty()) history.Add(Unescaped(*line));
  }
  return history;
}

std::string FormatHistory(const CommandHistory& history, const base::GbkCodec& codec) {
  std::string text(kHistoryComment);
  text += "\r\n";
  for (const std::string& entry : history.Entries()) {
    text += Escaped(entry);
    text += "\r\n";
  }
  return base::Utf8FromUtf16(codec.wideFromGbk(text));
}

}  // namespace compose
