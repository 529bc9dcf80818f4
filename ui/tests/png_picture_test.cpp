// Decoding PNG pictures, and hostile PNG bytes.
#include "ui/png_picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <vector>

namespace {

// A PNG made here with libpng's writer: width x 1 RGBA pixels.
std::vector<unsigned char> EncodeRgba(const std::vector<unsigned char>& rgba, int width) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = 1;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::vector<unsigned char> png(size);
  png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr);
  png.resize(size);
  return png;
}

TEST(DecodePng, TransparencyIsComposedOntoTheBackgroundInBlueGreenRedOrder) {
  // An opaque pure-red pixel, then a fully transparent one.
  const std::vector<unsigned char> png = EncodeRgba({255, 0, 0, 255, 0, 0, 0, 0}, 2);
  std::optional<ui::Picture> picture = ui::DecodePng(png, 0x00FF00);
  ASSERT_TRUE(picture.has_value());
  const std::vector<std::uint8_t> expected = {0, 0, 255, 0, 255, 0};  // red, then green
  EXPECT_EQ(std::vector<std::uint8_t>(picture->pixels.begin(), picture->pixels.begin() + 6),
            expected);
}

TEST(DecodePng, RejectsWhatIsNotAWholePng) {
  EXPECT_FALSE(ui::DecodePng({}).has_value());
  const unsigned char garbage[] = "this is not a picture at all, just some text bytes";
  EXPECT_FALSE(ui::DecodePng(garbage).has_value());
  // A picture big enough that its image data spans several hundred bytes.
  std::vector<unsigned char> pixels(4 * 300);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 37 + i / 7);
  const std::vector<unsigned char> encoded = EncodeRgba(pixels, 300);
  const std::span<const unsigned char> whole = encoded;
  for (size_t keep : {size_t{8}, size_t{33}, whole.size() / 2, whole.size() - 13}) {
    EXPECT_FALSE(ui::DecodePng(whole.first(keep)).has_value()) << keep << " bytes";
  }
  // A corrupted byte in the middle of the image data.
  std::vector<unsigned char> damaged(whole.begin(), whole.end());
  for (size_t i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i) damaged[i] ^= 0x5A;
  EXPECT_FALSE(ui::DecodePng(damaged).has_value());
}

}  // namespace
