// What the keyboard and assistive technology need of a window description, computed from the
// elements' rectangles and pages rather than listed by hand: the order Tab visits controls in,
// the name each input is read out by, and how described rectangles grow with the display's DPI.
#pragma once

#include <string_view>
#include <vector>

#include "ui/description.h"

namespace ui {

// The rectangle of an element in the window's client coordinates. A tab control's children are
// described relative to the whole tab control, group box children relative to the group box.
Rect PlacedRect(const WindowDescription& window, const Element& element);

// The page of the window's tab control an element sits on (through its containers), or 0 when
// it is on no page.
int PageOf(const WindowDescription& window, const Element& element);

// The controls Tab visits with `page` showing: the tab control, the page's tab stops in reading
// order (rows from top to bottom, left to right within a row), then the tab stops on no page in
// reading order. A control belongs to the row of the first control above it whose vertical span
// holds its centre.
std::vector<ControlId> TabOrder(const WindowDescription& window, int page);

// The name of an input (edit box or combo box): the caption of the label or radio box at the
// left of it on its row, else of the nearest one just above it, else the caption of the group
// box around it. Empty when there is none.
std::string_view AccessibleName(const WindowDescription& window, const Element& input);

// Enter in input runs button's click handler, as a click would (the row's gate included).
struct EnterKey {
  ControlId input = 0;
  ControlId button = 0;
};

// Pixels at dpi for a length given at 96 DPI, rounded to the nearest.
int ScaleForDpi(int value, int dpi);
// A described rectangle at dpi: its edges are scaled, so neighbours that touch still touch.
Rect ScaleRectForDpi(const Rect& rect, int dpi);

}  // namespace ui
