// Fuzzes the script-line parser and the checker with arbitrary bytes: every text reads back into
// fields that write it again byte for byte, each field where FieldOffset says, the glued-line
// split covers the text without overlap, and every note lies inside the checked text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "compose/line_checker.h"
#include "compose/script_line.h"

namespace {

void CheckNotes(const std::vector<compose::LineNote>& notes, std::string_view text) {
  for (const compose::LineNote& note : notes) {
    if (note.offset > text.size() || note.column == 0 || note.column > note.offset + 1 ||
        note.message.empty()) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const compose::ScriptLine line = compose::ParseScriptLine(text);
  if (compose::ComposeScriptLine(line) != text) std::abort();
  for (std::size_t i = 0; i < line.fields.size(); ++i) {
    if (text.substr(compose::FieldOffset(line, i), line.fields[i].size()) != line.fields[i]) {
      std::abort();
    }
  }
  std::size_t end = 0;
  for (const compose::LineSpan& span : compose::SplitScriptLines(text)) {
    if (span.offset < end || span.length == 0 || span.offset + span.length > text.size()) {
      std::abort();
    }
    end = span.offset + span.length;
  }
  CheckNotes(compose::CheckScriptLine(text), text);
  CheckNotes(compose::CheckScriptLines(text), text);
  CheckNotes(compose::CheckCommand(text), text);
  return 0;
}
