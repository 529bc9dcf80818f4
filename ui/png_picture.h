// Decoding the PNG illustrations held in the program's data into pixels that a picture box can
// draw: rows of 3-byte blue-green-red pixels, top row first, each row padded to 4 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/geometry.h"

namespace ui {

using base::Rgb;

struct Picture {
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes per row
  std::vector<std::uint8_t> pixels;
};

// Transparent parts are composed onto background. Nothing for bytes that are not a PNG image
// or that end early.
[[nodiscard]] std::optional<Picture> DecodePng(std::span<const unsigned char> png,
                                               Rgb background = 0xFFFFFF);

}  // namespace ui
