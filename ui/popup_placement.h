// Where the program's helping popups (directive tips, the chat preview, refusal notes) go on the
// screen: beside the row of controls they help with, never over it, so that nothing the user is
// working with is covered. Screen rectangles in pixels.
#pragma once

#include "base/geometry.h"

namespace ui {

using base::Rect;

enum class Side { kAbove, kBelow };

struct PopupPlace {
  int left = 0;
  int top = 0;
  Side side = Side::kBelow;
};

// The side of row whose edge is nearer to y; below on a tie.
Side NearerSide(const Rect& row, int y);

// A popup of width x height beside row, gap pixels away: on the preferred side when it fits into
// work there, else on the other side when it fits there, else on the side with more room, partly
// off work rather than over the row. Horizontally at left, moved into work as far as it fits.
PopupPlace PlaceBesideRow(const Rect& row, int width, int height, int left, Side preferred, int gap,
                          const Rect& work);

}  // namespace ui
