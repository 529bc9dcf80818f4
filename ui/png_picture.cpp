// PNG decoding through libpng's simplified read interface (from memory, into a caller buffer).
#include "ui/png_picture.h"

#include <png.h>

namespace ui {

std::optional<Picture> DecodePng(std::span<const unsigned char> png, Rgb background) {
  if (png.empty()) return std::nullopt;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_BGR;
  Picture picture;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.stride = (picture.width * 3 + 3) & ~3;
  // Illustrations are a few hundred pixels a side; refuse what no picture box could show.
  if (picture.width <= 0 || picture.height <= 0 || picture.width > 16384 ||
      picture.height > 16384) {
    png_image_free(&image);
    return std::nullopt;
  }
  picture.pixels.resize(static_cast<size_t>(picture.stride) * picture.height);
  png_color back{static_cast<png_byte>(background >> 16), static_cast<png_byte>(background >> 8),
                 static_cast<png_byte>(background)};
  if (!png_image_finish_read(&image, &back, picture.pixels.data(), picture.stride, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return picture;
}

}  // namespace ui
