// The console log's entries and the line table over them. Every part keeps the offsets of its
// lines, so finding a line costs a binary search over the entries and one over its part's lines,
// however long the answers are.
#include "ui/console_log.h"

#include <algorithm>
#include <utility>

#include "base/gbk.h"
#include "ui/colour_codes.h"

namespace ui {
namespace {

constexpr std::string_view kCutNote = "（为节省内存，这条较早的回复在日志里只留下了开头）";

// The end of the line that starts at start, without its line break.
std::size_t LineEnd(std::string_view text, std::size_t start) {
  std::size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  if (end > start && text[end - 1] == '\r') --end;
  return end;
}

// Where to cut text to at most limit bytes: after the last whole line that fits, else on the
// last character boundary that fits.
std::size_t CutPoint(std::string_view text, std::size_t limit) {
  const std::size_t newline = text.rfind('\n', limit - 1);
  if (newline != std::string_view::npos) return newline;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t next = at + base::CharLength(text, at);
    if (next > limit) break;
    at = next;
  }
  return at;
}

}  // namespace

ConsoleLog::Part ConsoleLog::MakePart(ConsoleLineKind kind, std::string text) {
  Part part{kind, std::move(text), {}};
  for (std::size_t start = 0; start < part.text.size();) {
    part.lineStarts.push_back(static_cast<std::uint32_t>(start));
    const std::size_t newline = part.text.find('\n', start);
    start = newline == std::string::npos ? part.text.size() : newline + 1;
  }
  return part;
}

void ConsoleLog::Measure(Entry& entry) {
  entry.lines = 0;
  entry.bytes = 0;
  for (const Part& part : entry.parts) {
    entry.lines += part.lineStarts.size();
    entry.bytes += part.text.size() + part.lineStarts.size() * sizeof(std::uint32_t);
  }
}

void ConsoleLog::Recount() {
  firstLines_.clear();
  lineCount_ = 0;
  bytes_ = 0;
  for (const Entry& entry : entries_) {
    firstLines_.push_back(lineCount_);
    lineCount_ += entry.lines;
    bytes_ += entry.bytes;
  }
}

// Cuts the oldest answer longer than kKeptOfCutAnswer to its start, with a note saying so. The
// newest entry is never cut: it was just received and is what the user looks at.
bool ConsoleLog::CutOldestAnswer() {
  for (std::size_t i = 0; i + 1 < entries_.size(); ++i) {
    std::vector<Part>& parts = entries_[i].parts;
    for (std::size_t p = 0; p < parts.size(); ++p) {
      if (parts[p].kind != ConsoleLineKind::kReply || parts[p].text.size() <= kKeptOfCutAnswer) {
        continue;
      }
      std::string kept = parts[p].text.substr(0, CutPoint(parts[p].text, kKeptOfCutAnswer));
      parts[p] = MakePart(ConsoleLineKind::kReply, std::move(kept));
      parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(p) + 1,
                   MakePart(ConsoleLineKind::kNote, std::string(kCutNote)));
      Measure(entries_[i]);
      return true;
    }
  }
  return false;
}

ConsoleChange ConsoleLog::Add(std::vector<ConsolePart> parts) {
  Entry entry;
  for (ConsolePart& part : parts) entry.parts.push_back(MakePart(part.kind, std::move(part.text)));
  Measure(entry);
  firstLines_.push_back(lineCount_);
  lineCount_ += entry.lines;
  bytes_ += entry.bytes;
  entries_.push_back(std::move(entry));

  // The oldest entries go first when there are too many; while the log is over its budget the
  // oldest long answers are cut, and only when none is left to cut do more entries go.
  ConsoleChange change;
  bool dropped = false;
  for (;;) {
    const bool tooMany = entries_.size() > maxEntries_;
    if (!tooMany && bytes_ <= maxBytes_) break;
    if (!tooMany && CutOldestAnswer()) {
      change.reshaped = true;
      Recount();
      continue;
    }
    if (entries_.size() <= 1) break;
    change.droppedLines += entries_.front().lines;
    bytes_ -= entries_.front().bytes;
    entries_.pop_front();
    dropped = true;
  }
  if (dropped) Recount();
  return change;
}

ConsoleLine ConsoleLog::Line(std::size_t index) const {
  if (index >= lineCount_) return {};
  const auto after = std::upper_bound(firstLines_.begin(), firstLines_.end(), index);
  const auto entryIndex = static_cast<std::size_t>(after - firstLines_.begin()) - 1;
  std::size_t within = index - firstLines_[entryIndex];
  const bool entryStart = within == 0;
  for (const Part& part : entries_[entryIndex].parts) {
    if (within < part.lineStarts.size()) {
      const std::size_t start = part.lineStarts[within];
      const std::string_view text(part.text);
      return {part.kind, text.substr(start, LineEnd(text, start) - start), entryStart};
    }
    within -= part.lineStarts.size();
  }
  return {};
}

std::string ConsoleLog::Text(std::size_t first, std::size_t last) const {
  std::string text;
  last = std::min(last, lineCount_ == 0 ? 0 : lineCount_ - 1);
  for (std::size_t i = first; i <= last && i < lineCount_; ++i) {
    if (i > first) text += "\r\n";
    const ConsoleLine line = Line(i);
    if (line.kind != ConsoleLineKind::kReply) {
      text += line.text;
      continue;
    }
    for (const ChatRun& run : ReadChatCodes(line.text, CodeSigns::kSection).runs) text += run.text;
  }
  return text;
}

}  // namespace ui
