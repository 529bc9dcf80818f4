// Placement of popups beside a row.
#include "ui/popup_placement.h"

#include <algorithm>

namespace ui {

Side NearerSide(const Rect& row, int y) {
  const int toTop = y - row.top;
  const int toBottom = row.top + row.height - y;
  return toTop < toBottom ? Side::kAbove : Side::kBelow;
}

PopupPlace PlaceBesideRow(const Rect& row, int width, int height, int left, Side preferred, int gap,
                          const Rect& work) {
  const int workBottom = work.top + work.height;
  const int above = row.top - gap - height;
  const int below = row.top + row.height + gap;
  const bool fitsAbove = above >= work.top;
  const bool fitsBelow = below + height <= workBottom;
  Side side = preferred;
  if (!(preferred == Side::kAbove ? fitsAbove : fitsBelow)) {
    if (preferred == Side::kAbove ? fitsBelow : fitsAbove) {
      side = preferred == Side::kAbove ? Side::kBelow : Side::kAbove;
    } else {
      side = row.top - work.top > workBottom - (row.top + row.height) ? Side::kAbove : Side::kBelow;
    }
  }
  const int x = std::clamp(left, work.left, std::max(work.left, work.left + work.width - width));
  return {x, side == Side::kAbove ? above : below, side};
}

}  // namespace ui
