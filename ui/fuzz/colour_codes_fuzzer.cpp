// Fuzzes the chat code reader with arbitrary bytes: no crash, no read past the input, every
// problem points at its code as written and at its column, and the runs hold exactly the bytes
// that are not codes, in order, none of them empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/gbk.h"
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
  // Problems lie in text order, each on the code as written, at the column of its "&" (a
  // double-byte character or an escape counts one); hex codes are of one of their two lengths.
  size_t walked = 0;
  size_t column = 1;
  for (const ui::CodeProblem& problem : line.problems) {
    if (problem.offset >= text.size() || text[problem.offset] != '&') std::abort();
    if (text.substr(problem.offset, problem.code.size()) != problem.code) std::abort();
    if (problem.kind == ui::CodeProblemKind::kFormatBeforeColour) continue;  // noted late
    if (problem.offset < walked) std::abort();
    while (walked < problem.offset) {
      walked += base::CharLength(text, walked);
      ++column;
    }
    if (walked != problem.offset || problem.column != column) std::abort();
    if (problem.kind == ui::CodeProblemKind::kHexColour && problem.code.size() != 8 &&
        problem.code.size() != 14) {
      std::abort();
    }
    if (ui::DescribeCodeProblem(problem).empty()) std::abort();
  }
  return 0;
}
