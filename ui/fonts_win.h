// Fonts of the control kinds. Texts reach GDI as UTF-16; face names in the description are GBK.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "ui/description.h"

namespace ui::widgets {

// The font described at dpi, created once and kept for the life of the process. A face that is
// not installed is replaced by one that can show Chinese text.
HFONT FontFor(const FontSpec& wanted, int dpi = 96);
// The windows' default GUI font: the default face at 12 pixels (at 96 DPI).
HFONT DefaultFont(int dpi = 96);
// The face actually used for a requested face name.
std::wstring ResolveFace(std::wstring_view face);

}  // namespace ui::widgets
