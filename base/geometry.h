// Small value types shared by every layer: colours and rectangles in pixels.
#pragma once

#include <cstdint>

namespace base {

using Rgb = std::uint32_t;  // 0xRRGGBB

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

}  // namespace base
