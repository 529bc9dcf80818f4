// Fuzzes the chat code reader with arbitrary bytes: no crash, no read past the input, every
// problem points at an "&" of the text, and the runs hold exactly the bytes that are not codes,
// in order, none of them empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/colour_codes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ui::ChatLine line = ui::ReadChatCodes(text);
  std::string shown;
  for (const ui::ChatRun& run : line.runs) {
    if (run.text.empty()) std::abort();
    shown += run.text;
  }
  // What is shown is the text with some two-byte "&x" codes taken out.
  if (shown.size() > text.size() || (text.size() - shown.size()) % 2 != 0) std::abort();
  size_t at = 0;
  for (char c : shown) {
    at = text.find(c, at);
    if (at == std::string_view::npos) std::abort();
    ++at;
  }
  for (const ui::CodeProblem& problem : line.problems) {
    if (problem.offset >= text.size() || text[problem.offset] != '&') std::abort();
    if (problem.column == 0 || problem.column > problem.offset + 1) std::abort();
    if (ui::DescribeCodeProblem(problem).empty()) std::abort();
  }
  return 0;
}
