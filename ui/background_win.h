// The background our windows and control kinds paint behind what they draw: the windows' face
// colour, or the parent's own background under a control that draws over its parent.
#pragma once

#include <windows.h>

namespace ui::widgets {

// Fills hwnd's client area in dc with the windows' background colour.
void FillWindowBackground(HWND hwnd, HDC dc);

// Paints the parent's background under child into dc, whose origin is child's client origin:
// the parent draws itself there as for WM_PRINTCLIENT.
void PaintParentBackground(HWND child, HDC dc);

}  // namespace ui::widgets
