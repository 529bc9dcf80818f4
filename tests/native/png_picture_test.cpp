// Decoding the embedded illustrations, and hostile PNG bytes.
#include "app/png_picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <vector>

#include "assets/illustrations.h"

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

TEST(DecodePng, EmbeddedIllustrationsHaveTheirSizes) {
  struct Case {
    std::span<const unsigned char> png;
    int width, height;
  };
  const Case cases[] = {{assets::kItemIllustrationPng, 481, 228},
                        {assets::kConditionIllustrationPng, 475, 799},
                        {assets::kDelayIllustrationPng, 482, 271}};
  for (const Case& c : cases) {
    std::optional<app::Picture> picture = app::DecodePng(c.png);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, c.width);
    EXPECT_EQ(picture->height, c.height);
    EXPECT_EQ(picture->stride % 4, 0);
    EXPECT_GE(picture->stride, c.width * 3);
    EXPECT_EQ(picture->pixels.size(), static_cast<size_t>(picture->stride) * c.height);
  }
}

TEST(DecodePng, TransparencyIsComposedOntoTheBackgroundInBlueGreenRedOrder) {
  // An opaque pure-red pixel, then a fully transparent one.
  const std::vector<unsigned char> png = EncodeRgba({255, 0, 0, 255, 0, 0, 0, 0}, 2);
  std::optional<app::Picture> picture = app::DecodePng(png, 0x00FF00);
  ASSERT_TRUE(picture.has_value());
  const std::vector<std::uint8_t> expected = {0, 0, 255, 0, 255, 0};  // red, then green
  EXPECT_EQ(std::vector<std::uint8_t>(picture->pixels.begin(), picture->pixels.begin() + 6),
            expected);
}

TEST(DecodePng, RejectsWhatIsNotAWholePng) {
  EXPECT_FALSE(app::DecodePng({}).has_value());
  const unsigned char garbage[] = "this is not a picture at all, just some text bytes";
  EXPECT_FALSE(app::DecodePng(garbage).has_value());
  const std::span<const unsigned char> whole = assets::kDelayIllustrationPng;
  for (size_t keep : {size_t{8}, size_t{33}, whole.size() / 2, whole.size() - 13}) {
    EXPECT_FALSE(app::DecodePng(whole.first(keep)).has_value()) << keep << " bytes";
  }
  // A corrupted byte in the middle of the image data.
  std::vector<unsigned char> damaged(whole.begin(), whole.end());
  for (size_t i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i) damaged[i] ^= 0x5A;
  EXPECT_FALSE(app::DecodePng(damaged).has_value());
}

}  // namespace
