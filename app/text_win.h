// The frame's code names the conversions as its own; they live in base/text_win.h.
#pragma once

#include "base/text_win.h"

namespace app {

using base::GbkFromWide;
using base::kGbkCodePage;
using base::WideFromGbk;
using base::WindowText;

}  // namespace app
