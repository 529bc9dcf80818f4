// Decoding PNG pictures, and hostile PNG bytes.
#include "ui/png_picture.h"
#include "ui/picture_scale.h"

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

// A grey picture of width by height whose pixel x, y has the value shade(x, y) in every channel.
template <typename Shade>
ui::Picture GreyPicture(int width, int height, Shade shade) {
  ui::Picture picture{width, height, (width * 3 + 3) & ~3, {}};
  picture.pixels.resize(static_cast<size_t>(picture.stride) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width * 3; ++x) {
      picture.pixels[static_cast<size_t>(y) * picture.stride + x] =
          static_cast<std::uint8_t>(shade(x / 3, y));
    }
  }
  return picture;
}

int Grey(const ui::Picture& picture, int x, int y) {
  return picture.pixels[static_cast<size_t>(y) * picture.stride + x * 3];
}

TEST(ScalePicture, KeepsAreasAndEdgesWhenEnlargingOrShrinking) {
  // A flat picture stays flat at any size; sizes and row padding follow the new width.
  for (auto [width, height] : {std::pair{5, 3}, {722, 408}, {321, 152}, {1, 1}}) {
    const ui::Picture flat =
        ui::ScalePicture(GreyPicture(481, 228, [](int, int) { return 90; }), width, height);
    ASSERT_EQ(flat.width, width);
    ASSERT_EQ(flat.height, height);
    EXPECT_EQ(flat.stride, (width * 3 + 3) & ~3);
    EXPECT_EQ(Grey(flat, width - 1, height - 1), 90);
    EXPECT_EQ(Grey(flat, width / 2, 0), 90);
  }
  // Halving a one-pixel checkerboard averages it (away from the border, where the filter sees
  // only one side): no row or column simply dropped.
  const ui::Picture half = ui::ScalePicture(
      GreyPicture(12, 12, [](int x, int y) { return (x + y) % 2 ? 255 : 0; }), 6, 6);
  for (int y = 1; y < 5; ++y) {
    for (int x = 1; x < 5; ++x) EXPECT_NEAR(Grey(half, x, y), 128, 2) << x << "," << y;
  }
  // Enlarging a black-white edge by 1.5 gives a short ramp, never outside the two values, and
  // leaves the far ends as they were.
  const ui::Picture wide =
      ui::ScalePicture(GreyPicture(4, 1, [](int x, int) { return x < 2 ? 0 : 200; }), 6, 1);
  EXPECT_EQ(Grey(wide, 0, 0), 0);
  EXPECT_EQ(Grey(wide, 5, 0), 200);
  for (int x = 1; x < 6; ++x) EXPECT_GE(Grey(wide, x, 0), Grey(wide, x - 1, 0)) << x;
}

}  // namespace
