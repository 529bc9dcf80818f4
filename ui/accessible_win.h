// Accessible names and descriptions for controls whose own text is not their name: an edit box's
// text is what the user typed, so a screen reader would otherwise announce it unnamed. The
// control answers WM_GETOBJECT with the system's accessible object for it, wrapped so that its
// name and description come from here; everything else stays the system's.
#pragma once

#include <windows.h>

#include <string>

namespace ui::widgets {

// Gives control an accessible name. Its description is asked of describe when a client asks
// (the text may change after creation); describe may be nullptr.
using DescriptionSource = std::wstring (*)(HWND control);
void SetAccessibleName(HWND control, std::wstring name, DescriptionSource describe);

}  // namespace ui::widgets
