// Fuzzes what the workbench reads from outside with arbitrary bytes: a script file opens or is
// refused, and what opens saves and opens again to the same script; pasted text keeps every byte
// that is not a line break or a command's words, and every ambiguous split can be joined; the
// history and the recent list read back what they write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compose/command_history.h"
#include "compose/script_commands.h"
#include "compose/script_file.h"
#include "compose/tests/gbk_test_codec.h"

namespace {

using compose::testing::kGbkCodec;

void CheckScriptFile(std::string_view bytes) {
  const compose::ScriptFileContent read = compose::ReadScriptFile(bytes, kGbkCodec);
  if (!read.opened && read.problems.empty()) std::abort();
  if (!read.opened) return;
  const compose::ScriptFileContent again =
      compose::ReadScriptFile(compose::WriteScriptFile(read.name, read.rows, kGbkCodec), kGbkCodec);
  if (!again.opened || !again.problems.empty() || again.name != read.name ||
      again.rows != read.rows) {
    std::abort();
  }
}

void CheckPastedText(std::string_view text) {
  compose::PastedScript pasted = compose::ReadPastedText(text);
  std::size_t bytes = 0;
  for (const compose::PastedRow& row : pasted.rows) {
    if (row.script >= static_cast<int>(pasted.names.size())) std::abort();
    if (row.ambiguous && !row.glued) std::abort();
    bytes += row.line.size();
  }
  if (bytes > text.size()) std::abort();
  for (std::size_t i = pasted.rows.size(); i-- > 1;) {
    if (pasted.rows[i].ambiguous && !compose::JoinWithPrevious(pasted, i)) std::abort();
  }
  if (compose::PastedLines(pasted).size() != pasted.rows.size()) std::abort();
}

void CheckHistoryAndRecent(std::string_view bytes) {
  const compose::CommandHistory history = compose::ParseHistory(bytes, kGbkCodec);
  if (history.Entries().size() > compose::kHistoryLimit) std::abort();
  const compose::CommandHistory again =
      compose::ParseHistory(compose::FormatHistory(history, kGbkCodec), kGbkCodec);
  if (again.Entries() != history.Entries()) std::abort();
  const compose::RecentScripts recent = compose::ParseRecentScripts(bytes);
  if (recent.paths.size() > compose::kRecentScriptsLimit) std::abort();
  if (compose::ParseRecentScripts(compose::FormatRecentScripts(recent)) != recent) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckScriptFile(bytes);
  CheckPastedText(bytes);
  CheckHistoryAndRecent(bytes);
  // Most inputs lack the history's first line; these get past it.
  CheckHistoryAndRecent("# Command composer: copied commands, newest first\n" + std::string(bytes));
  return 0;
}
