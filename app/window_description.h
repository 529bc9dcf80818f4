// The windows of the program as static data: the main window with its four tab pages, the five
// secondary windows of reference texts and illustrations, the server window and the console log,
// each control bound to its handlers. Texts are GBK bytes.
#pragma once

#include <span>

#include "ui/description.h"

namespace app {

std::span<const ui::WindowDescription> WindowDescriptions();

}  // namespace app
