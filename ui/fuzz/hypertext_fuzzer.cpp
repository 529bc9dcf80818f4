// Fuzzes the hypertext parser, its layout and the style sheet parser with arbitrary bytes: no
// crash, no read past the input, and laid-out lines never overlap nor start below the box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/hypertext.h"
#include "ui/style_sheet.h"

namespace {

class ByteMeasure : public ui::HypertextMeasure {
 public:
  int Width(std::string_view text, bool bold) override {
    return static_cast<int>(text.size()) * (bold ? 7 : 6);
  }
  ui::HypertextMetrics Metrics(bool bold) override {
    return bold ? ui::HypertextMetrics{15, 12} : ui::HypertextMetrics{13, 10};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int width = data[0];
  const int height = data[1];
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  ByteMeasure measure;
  const auto lines = ui::ParseHypertext(text);
  const auto placed = ui::LayoutHypertext(lines, measure, width, height);
  int nextTop = 0;
  for (const ui::PlacedLine& line : placed) {
    if (line.top != nextTop || line.top >= height) std::abort();
    nextTop = line.top + line.height;
  }
  (void)ui::PlainText(lines);

  const ui::StyleSheet sheet = ui::StyleSheet::Parse(text);
  ui::TextStyle style;
  for (const ui::StyleRule& rule : sheet.Rules()) {
    style = sheet.Apply(rule.selector, style);
    if (!(style.points > 0)) std::abort();
  }
  return 0;
}
