// The directive tips: a short hypertext explanation with a complete example line for most
// directive inputs, shown by the balloon tip 气球提示框1 while the pointer rests on the input.
// GBK texts; every tip opens with the bold #D98719 markup, some never close it.
#pragma once

#include <span>
#include <string_view>

#include "ui/ids.h"

namespace compose {

struct DirectiveTip {
  ui::ControlId target;  // a control of the main window
  ui::Kind kind;         // the target's kind, as the main window's description gives it
  std::string_view text;
};

// The twelve tips, in the order they are attached.
std::span<const DirectiveTip> DirectiveTips();

// Attaches every tip to 气球提示框1 with no icon and the whole control as region. A tip that
// cannot be attached is skipped; the others are still attached.
void AttachDirectiveTips();

}  // namespace compose
