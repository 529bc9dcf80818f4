// Fuzzes the chat code reader with arbitrary bytes, with each choice of signs: no crash, no read
// past the input, every problem points at its code as written and at its column, and the runs
// hold exactly the bytes that are not codes, in order, none of them empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/gbk.h"
#include "ui/colour_codes.h"

namespace {

bool StartsWithSign(std::string_view text, ui::CodeSigns signs) {
  const auto wanted = static_cast<unsigned>(signs);
  return ((wanted & 1) != 0 && text.substr(0, 1) == "&") ||
         ((wanted & 2) != 0 && text.substr(0, 2) == "\xA1\xEC");
}

void Check(std::string_view text, ui::CodeSigns signs) {
  const ui::ChatLine line = ui::ReadChatCodes(text, signs);
  std::string shown;
  for (const ui::ChatRun& run : line.runs) {
    if (run.text.empty()) std::abort();
    shown += run.text;
  }
  // What is shown is the text with some codes taken out: two bytes each with "&" alone.
  if (shown.size() > text.size()) std::abort();
  if (signs == ui::CodeSigns::kAmpersand && (text.size() - shown.size()) % 2 != 0) std::abort();
  size_t at = 0;
  for (char c : shown) {
    at = text.find(c, at);
    if (at == std::string_view::npos) std::abort();
    ++at;
  }
  // Problems lie in text order, each on the code as written, at the column of its sign (a
  // double-byte character or an escape counts one); hex codes are of one of their two lengths.
  size_t walked = 0;
  size_t column = 1;
  for (const ui::CodeProblem& problem : line.problems) {
    if (problem.offset >= text.size() || !StartsWithSign(text.substr(problem.offset), signs)) {
      std::abort();
    }
    if (text.substr(problem.offset, problem.code.size()) != problem.code) std::abort();
    if (problem.kind == ui::CodeProblemKind::kFormatBeforeColour) continue;  // noted late
    if (problem.offset < walked) std::abort();
    while (walked < problem.offset) {
      walked += base::CharLength(text, walked);
      ++column;
    }
    if (walked != problem.offset || problem.column != column) std::abort();
    const std::size_t sign = text[problem.offset] == '&' ? 1 : 2;
    if (problem.kind == ui::CodeProblemKind::kHexColour && problem.code.size() != sign + 7 &&
        problem.code.size() != 7 * sign + 7) {
      std::abort();
    }
    if (ui::DescribeCodeProblem(problem).empty()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const ui::CodeSigns signs :
       {ui::CodeSigns::kAmpersand, ui::CodeSigns::kSection, ui::CodeSigns::kBoth}) {
    Check(text, signs);
  }
  return 0;
}
