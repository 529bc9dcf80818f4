// Drawing parsed hypertext with GDI in the face a style sheet gives text outside any element
// (its point size converted at the device's DPI), bold and colour as the markup says. Runs wrap
// at the box's width between Chinese characters and at spaces.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/description.h"
#include "ui/hypertext.h"
#include "ui/style_sheet.h"

namespace ui::widgets {

// The body face of a sheet on a device, regular or bold, its points converted at dpi (0: the
// device's). The face name points into the sheet.
FontSpec HypertextBodyFont(const StyleSheet& sheet, HDC dc, bool bold, int dpi = 0);

// Draws the lines into box, stacked from its top without overlapping; a text taller than the
// box is cut at its bottom edge. Text outside any element takes the sheet's body colour only
// when the lines were parsed with it (ParseHypertext's default colour).
void DrawHypertext(HDC dc, const RECT& box, const std::vector<HypertextLine>& lines,
                   const StyleSheet& sheet = StyleSheet::Program(), int dpi = 0);

// The size the lines take when wrapped at maxWidth.
SIZE MeasureHypertext(HDC dc, const std::vector<HypertextLine>& lines, int maxWidth,
                      const StyleSheet& sheet = StyleSheet::Program(), int dpi = 0);

}  // namespace ui::widgets
