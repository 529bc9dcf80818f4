// Drawing parsed hypertext with GDI: runs wrap at the box's width (between Chinese characters
// and at spaces) in the body face, bold and colour as the markup says.
#pragma once

#include <windows.h>

#include <vector>

#include "app/hypertext.h"

namespace app::widgets {

// The body text face and size of the program's style sheet: 9-point 宋体.
inline constexpr FontSpec kHypertextBodyFont{"宋体", 12};

// Draws the lines into box. When they are taller than the box, the line pitch is tightened so
// that every line still shows.
void DrawHypertext(HDC dc, const RECT& box, const std::vector<HypertextLine>& lines);

// The size the lines take when wrapped at maxWidth.
SIZE MeasureHypertext(HDC dc, const std::vector<HypertextLine>& lines, int maxWidth);

}  // namespace app::widgets
