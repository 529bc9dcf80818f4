// What the keyboard and assistive technology need of a window description, computed from the
// elements' rectangles and pages rather than listed by hand: the rows controls are grouped in,
// the order Tab visits controls in and the name each input is read out by.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/dpi.h"
#include "ui/description.h"

namespace ui {

// The rectangle of an element in the window's client coordinates. A tab control's children are
// described relative to the whole tab control, group box children relative to the group box.
Rect PlacedRect(const WindowDescription& window, const Element& element);

// The page of the window's tab control an element sits on (through its containers), or 0 when
// it is on no page.
int PageOf(const WindowDescription& window, const Element& element);

// The frame of the row an element belongs to: the smallest group box on the element's page whose
// placed rectangle holds the element's whole placed rectangle. That is the group box the element
// sits in, or a captionless one drawn around it as a sibling. nullptr when there is none.
const Element* RowFrame(const WindowDescription& window, const Element& element);

// The area of the element's row in the window's client coordinates: its row frame's placed
// rectangle, or the element's own when it has no frame. Popups that help with a row keep out of
// this area, so they never cover what the user works with.
Rect RowArea(const WindowDescription& window, const Element& element);

// The controls Tab visits with `page` showing: the tab control, the page's tab stops, then the
// tab stops on no page. Both lists go row by row in reading order (rows from top to bottom, left
// to right): the controls of one row frame together, its inputs in reading order before its
// buttons; controls without a frame each on their own. In reading order a control belongs to the
// band of the first control above it whose vertical span holds its centre.
std::vector<ControlId> TabOrder(const WindowDescription& window, int page);

// The name of an input (edit box, rich edit box or combo box): the caption of the label or radio
// box at the left of it on its row, else of the nearest one just above it, else the caption of the
// group box around it. Empty when there is none.
std::string_view AccessibleName(const WindowDescription& window, const Element& input);

// The access key a caption marks with "&": the character after it, an ASCII letter (upper case)
// or digit; 0 when there is none. "&&" is a plain "&".
char AccessKey(std::string_view caption);
// The caption as a screen reader says it: without the marks ("&&" reads as "&"), and without a
// "(&S)" that only names the key.
std::string WithoutAccessMarks(std::string_view caption);

// Enter in input runs button's click handler, as a click would (the row's gate included).
struct EnterKey {
  ControlId input = 0;
  ControlId button = 0;
};

// Described lengths and rectangles at a DPI (base/dpi.h).
using base::ScaleForDpi;
using base::ScaleRectForDpi;

}  // namespace ui
