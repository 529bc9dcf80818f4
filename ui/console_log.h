// The console log: what was sent to a game server's remote console and what it answered, kept
// for the session. An entry is a few parts (a heading saying when and what, notes, problems, the
// server's answer); each part may hold several lines, and the log is read line by line, as a view
// shows it. Answers keep their '§' codes, which the view draws and a copy leaves out. The log keeps
// the last kMaxEntries entries, and while it holds more than its byte budget the oldest long
// answers are cut to their start, so that a session of huge answers cannot exhaust memory. Texts
// are GBK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class ConsoleLineKind : std::uint8_t {
  kHeading,  // when and what: the time, the server, the command as sent
  kReply,    // the server's answer, '§' codes in it
  kNote,     // information, such as the '/' taken off a command
  kProblem,  // what went wrong: a wrong password, no answer, a line that could not be sent
};

struct ConsolePart {
  ConsoleLineKind kind = ConsoleLineKind::kNote;
  std::string text;  // may hold several lines, broken by "\n" or "\r\n"
};

struct ConsoleLine {
  ConsoleLineKind kind = ConsoleLineKind::kNote;
  std::string_view text;  // without its line break; valid until the log changes
  bool entryStart = false;
};

// What adding an entry did to the lines before it.
struct ConsoleChange {
  std::size_t droppedLines = 0;  // lines that left the front with the oldest entries
  bool reshaped = false;         // older lines were cut short: line numbers moved
};

class ConsoleLog {
 public:
  static constexpr std::size_t kMaxEntries = 1000;
  static constexpr std::size_t kMaxBytes = 64 * 1024 * 1024;
  // What is kept of an answer that is cut to save memory.
  static constexpr std::size_t kKeptOfCutAnswer = 4096;

  explicit ConsoleLog(std::size_t maxEntries = kMaxEntries, std::size_t maxBytes = kMaxBytes)
      : maxEntries_(maxEntries), maxBytes_(maxBytes) {}

  ConsoleChange Add(std::vector<ConsolePart> parts);

  std::size_t EntryCount() const { return entries_.size(); }
  std::size_t LineCount() const { return lineCount_; }
  // Line index (< LineCount()).
  ConsoleLine Line(std::size_t index) const;
  // The lines first to last (inclusive, clamped to the log) as shown, "\r\n" between them: the
  // codes of answers left out.
  std::string Text(std::size_t first, std::size_t last) const;
  // The bytes the log holds (texts and their line tables).
  std::size_t Bytes() const { return bytes_; }

 private:
  struct Part {
    ConsoleLineKind kind;
    std::string text;
    std::vector<std::uint32_t> lineStarts;
  };
  struct Entry {
    std::vector<Part> parts;
    std::size_t lines = 0;
    std::size_t bytes = 0;
  };

  static Part MakePart(ConsoleLineKind kind, std::string text);
  static void Measure(Entry& entry);
  bool CutOldestAnswer();
  void Recount();

  std::size_t maxEntries_;
  std::size_t maxBytes_;
  std::deque<Entry> entries_;
  std::vector<std::size_t> firstLines_;  // of each entry
  std::size_t lineCount_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace ui
