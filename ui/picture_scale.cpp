// Separable tent-filter resampling of 3-byte pixels.
#include "ui/picture_scale.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

struct Tap {
  int source;
  float weight;
};

// For each output position along one axis, the source positions it takes and their weights.
std::vector<std::vector<Tap>> Taps(int sourceSize, int targetSize) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(targetSize));
  const float scale = static_cast<float>(sourceSize) / static_cast<float>(targetSize);
  const float support = std::max(1.0f, scale);
  for (int out = 0; out < targetSize; ++out) {
    const float centre = (static_cast<float>(out) + 0.5f) * scale - 0.5f;
    const int first = static_cast<int>(std::floor(centre - support));
    const int last = static_cast<int>(std::ceil(centre + support));
    float total = 0;
    std::vector<Tap>& row = taps[static_cast<size_t>(out)];
    for (int at = first; at <= last; ++at) {
      const float weight = 1.0f - std::fabs(static_cast<float>(at) - centre) / support;
      if (weight <= 0 || at < 0 || at >= sourceSize) continue;
      row.push_back({at, weight});
      total += weight;
    }
    for (Tap& tap : row) tap.weight /= total;
  }
  return taps;
}

}  // namespace

Picture ScalePicture(const Picture& source, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (source.width <= 0 || source.height <= 0) return source;
  if (width == source.width && height == source.height) return source;
  const std::vector<std::vector<Tap>> across = Taps(source.width, width);
  const std::vector<std::vector<Tap>> down = Taps(source.height, height);

  // Rows first, kept in floating point for the second pass.
  std::vector<float> rows(static_cast<size_t>(source.height) * width * 3);
  for (int y = 0; y < source.height; ++y) {
    const std::uint8_t* in = source.pixels.data() + static_cast<size_t>(y) * source.stride;
    float* out = rows.data() + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      float sum[3] = {0, 0, 0};
      for (const Tap& tap : across[static_cast<size_t>(x)]) {
        for (int c = 0; c < 3; ++c) sum[c] += tap.weight * in[tap.source * 3 + c];
      }
      for (int c = 0; c < 3; ++c) out[x * 3 + c] = sum[c];
    }
  }

  Picture result;
  result.width = width;
  result.height = height;
  result.stride = (width * 3 + 3) & ~3;
  result.pixels.assign(static_cast<size_t>(result.stride) * height, 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = result.pixels.data() + static_cast<size_t>(y) * result.stride;
    for (int x = 0; x < width * 3; ++x) {
      float sum = 0;
      for (const Tap& tap : down[static_cast<size_t>(y)]) {
        sum += tap.weight * rows[(static_cast<size_t>(tap.source) * width * 3) + x];
      }
      out[x] = static_cast<std::uint8_t>(std::clamp(sum + 0.5f, 0.0f, 255.0f));
    }
  }
  return result;
}

}  // namespace ui
