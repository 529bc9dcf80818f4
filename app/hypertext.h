// The small hypertext the program renders (hint texts, balloon tips): plain text with line
// breaks, the b element and the font element with a color attribute. Elements may be closed in
// crossed order or not at all; no markup ever shows. GBK bytes in, styled runs out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/window_description.h"

namespace app {

struct HypertextRun {
  std::string text;  // GBK
  bool bold = false;
  Rgb color = 0x000000;
  bool operator==(const HypertextRun&) const = default;
};

// One source line (lines break at CR LF, LF or <br>); an empty line has no runs.
using HypertextLine = std::vector<HypertextRun>;

std::vector<HypertextLine> ParseHypertext(std::string_view text, Rgb defaultColor = 0x000000);

}  // namespace app
