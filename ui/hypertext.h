// The small hypertext the program renders (hint texts, balloon tips): plain text with line
// breaks, the b element and the font element with a color attribute. Elements may be closed in
// crossed order or not at all; no markup ever shows. GBK bytes in, styled runs out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/geometry.h"

namespace ui {

using base::Rgb;

struct HypertextRun {
  std::string text;  // GBK
  bool bold = false;
  Rgb color = 0x000000;
  bool operator==(const HypertextRun&) const = default;
};

// One source line (lines break at CR LF, LF or <br>); an empty line has no runs.
using HypertextLine = std::vector<HypertextRun>;

std::vector<HypertextLine> ParseHypertext(std::string_view text, Rgb defaultColor = 0x000000);

// The text the lines show, markup gone: runs joined, lines separated by CR LF. This is what
// screen readers and automation read as a hypertext window's text.
std::string PlainText(const std::vector<HypertextLine>& lines);

struct HypertextMetrics {
  int height = 0;  // line height of the face in pixels
  int ascent = 0;
};

// What laying out needs from a drawing surface: the body face, regular or bold.
class HypertextMeasure {
 public:
  virtual ~HypertextMeasure() = default;
  virtual int Width(std::string_view text, bool bold) = 0;  // advance of a GBK text, pixels
  virtual HypertextMetrics Metrics(bool bold) = 0;
};

struct PlacedRun {
  std::string text;  // GBK
  bool bold = false;
  Rgb color = 0x000000;
  int x = 0;
  int width = 0;
};

struct PlacedLine {
  std::vector<PlacedRun> runs;
  int top = 0;  // from the top of the box
  int height = 0;
  int ascent = 0;  // baseline below top
};

// Wraps the lines at maxWidth (around every double-byte character and at spaces; a space does
// not start a wrapped line) and stacks them from the top, each line starting where the one
// above ended, so lines never overlap. Lines that would start at or below maxHeight are left
// out: a text taller than its box is cut at the bottom edge (the last line placed may reach
// past it; drawing clips it there).
std::vector<PlacedLine> LayoutHypertext(const std::vector<HypertextLine>& lines,
                                        HypertextMeasure& measure, int maxWidth,
                                        int maxHeight = 1 << 30);

}  // namespace ui
