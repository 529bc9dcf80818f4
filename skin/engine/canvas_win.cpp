// Anti-aliased drawing on a memory bitmap.
#include "skin/engine/canvas_win.h"

#if defined(_MSC_VER)
#include <xmmintrin.h>
#endif

namespace skin::engine {
namespace {

float Clamp01(float value) {
  return value < 0 ? 0 : (value > 1 ? 1 : value);
}

float Max(float a, float b) {
  return a > b ? a : b;
}

float Min(float a, float b) {
  return a < b ? a : b;
}

float Abs(float value) {
  return value < 0 ? -value : value;
}

// The square root as one instruction: the engine links no maths library.
float Sqrt(float value) {
#if defined(_MSC_VER)
  return _mm_cvtss_f32(_mm_sqrt_ss(_mm_set_ss(value)));
#else
  return __builtin_sqrtf(value);
#endif
}

// Signed distance from a point to a rounded rectangle's edge (negative inside).
float RoundedDistance(const Box& box, float radius, float x, float y) {
  const float halfWidth = (box.right - box.left) / 2;
  const float halfHeight = (box.bottom - box.top) / 2;
  radius = Min(radius, Min(halfWidth, halfHeight));
  const float qx = Abs(x - (box.left + halfWidth)) - (halfWidth - radius);
  const float qy = Abs(y - (box.top + halfHeight)) - (halfHeight - radius);
  const float outsideX = Max(qx, 0);
  const float outsideY = Max(qy, 0);
  return Sqrt(outsideX * outsideX + outsideY * outsideY) + Min(Max(qx, qy), 0) - radius;
}

std::uint32_t Channel(std::uint32_t rgb, int shift) {
  return (rgb >> shift) & 0xFF;
}

}  // namespace

std::uint32_t Mix(std::uint32_t from, std::uint32_t to, float amount) {
  amount = Clamp01(amount);
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const float a = static_cast<float>(Channel(from, shift));
    const float b = static_cast<float>(Channel(to, shift));
    out |= static_cast<std::uint32_t>(a + (b - a) * amount + 0.5f) << shift;
  }
  return out;
}

COLORREF ToColorRef(std::uint32_t rgb) {
  return RGB(Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0));
}

std::uint32_t FromColorRef(COLORREF color) {
  return static_cast<std::uint32_t>(GetRValue(color)) << 16 |
         static_cast<std::uint32_t>(GetGValue(color)) << 8 | GetBValue(color);
}

float Luminance(std::uint32_t rgb) {
  // Squares stand in for the sRGB curve: close enough to judge legibility.
  auto linear = [](std::uint32_t channel) {
    const float v = static_cast<float>(channel) / 255;
    return v * v;
  };
  return 0.2126f * linear(Channel(rgb, 16)) + 0.7152f * linear(Channel(rgb, 8)) +
         0.0722f * linear(Channel(rgb, 0));
}

float Contrast(std::uint32_t a, std::uint32_t b) {
  const float la = Luminance(a) + 0.05f;
  const float lb = Luminance(b) + 0.05f;
  return la > lb ? la / lb : lb / la;
}

namespace {

// A 32-bit bitmap of width by height pixels, top row first, for a memory DC (nullptr: none);
// bits is set to its pixels.
HBITMAP MakeBitmap(HDC reference, HDC dc, int width, int height, std::uint32_t*& bits) {
  if (dc == nullptr) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap != nullptr) bits = static_cast<std::uint32_t*>(pixels);
  return bitmap;
}

}  // namespace

Canvas::Canvas(HDC reference, int width, int height)
    : width_(width < 1 ? 1 : width),
      height_(height < 1 ? 1 : height),
      dc_(reference),
      bitmap_(MakeBitmap(reference, dc_.Get(), width_, height_, bits_)),
      selected_(dc_.Get(), bitmap_.Get()) {
  if (Ok()) ResetClip();
}

Canvas::~Canvas() = default;

void Canvas::CopyTo(HDC target, int x, int y) const {
  if (bits_ == nullptr) return;
  GdiFlush();
  BitBlt(target, x, y, width_, height_, dc_.Get(), 0, 0, SRCCOPY);
}

void Canvas::CopyAreaTo(HDC target, RECT area) const {
  if (bits_ == nullptr) return;
  GdiFlush();
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_.Get(),
         area.left, area.top, SRCCOPY);
}

void Canvas::SetClip(RECT clip) {
  clip_.left = clip.left < 0 ? 0 : clip.left;
  clip_.top = clip.top < 0 ? 0 : clip.top;
  clip_.right = clip.right > width_ ? width_ : clip.right;
  clip_.bottom = clip.bottom > height_ ? height_ : clip.bottom;
}

void Canvas::ResetClip() {
  clip_ = {0, 0, width_, height_};
}

RECT Canvas::Span(const Box& box) const {
  RECT span{static_cast<LONG>(box.left), static_cast<LONG>(box.top),
            static_cast<LONG>(box.right + 1), static_cast<LONG>(box.bottom + 1)};
  if (span.left < clip_.left) span.left = clip_.left;
  if (span.top < clip_.top) span.top = clip_.top;
  if (span.right > clip_.right) span.right = clip_.right;
  if (span.bottom > clip_.bottom) span.bottom = clip_.bottom;
  return span;
}

void Canvas::Blend(int x, int y, std::uint32_t rgb, float alpha) {
  if (bits_ == nullptr || x < clip_.left || y < clip_.top || x >= clip_.right ||
      y >= clip_.bottom || alpha <= 0) {
    return;
  }
  std::uint32_t& pixel = Row(y)[x];
  pixel = alpha >= 1 ? rgb : Mix(pixel & 0xFFFFFF, rgb, alpha);
}

void Canvas::Fill(RECT rect, std::uint32_t rgb) {
  if (bits_ == nullptr) return;
  const long left = rect.left < clip_.left ? clip_.left : rect.left;
  const long right = rect.right > clip_.right ? clip_.right : rect.right;
  const long top = rect.top < clip_.top ? clip_.top : rect.top;
  const long bottom = rect.bottom > clip_.bottom ? clip_.bottom : rect.bottom;
  for (long y = top; y < bottom; ++y) {
    std::uint32_t* row = Row(static_cast<int>(y));
    for (long x = left; x < right; ++x) row[x] = rgb;
  }
}

void Canvas::Gradient(RECT rect, std::uint32_t from, std::uint32_t to, bool horizontal) {
  const long span = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
  if (span <= 0) return;
  for (long y = rect.top; y < rect.bottom; ++y) {
    for (long x = rect.left; x < rect.right; ++x) {
      const long at = horizontal ? x - rect.left : y - rect.top;
      Blend(static_cast<int>(x), static_cast<int>(y),
            Mix(from, to, span > 1 ? static_cast<float>(at) / static_cast<float>(span - 1) : 0), 1);
    }
  }
}

namespace {

// The pixels of a row whose centres lie at least inset inside every edge of box: [left, right),
// empty when the row itself is not that far inside. With inset beyond the corner radius, their
// distance to the edge is at least inset, so shapes need not compute it.
struct Core {
  int left = 0, right = 0;
};

int Ceil(float value) {
  const int truncated = static_cast<int>(value);
  return static_cast<float>(truncated) < value ? truncated + 1 : truncated;
}

int Floor(float value) {
  const int truncated = static_cast<int>(value);
  return static_cast<float>(truncated) > value ? truncated - 1 : truncated;
}

Core CoreOfRow(const Box& box, float inset, int y) {
  const float centre = static_cast<float>(y) + 0.5f;
  if (centre - box.top < inset || box.bottom - centre < inset) return {};
  const int left = Ceil(box.left + inset - 0.5f);
  const int right = Floor(box.right - inset - 0.5f) + 1;
  return left < right ? Core{left, right} : Core{};
}

}  // namespace

void Canvas::FillRounded(Box box, float radius, std::uint32_t from, std::uint32_t to, float alpha) {
  const float height = box.bottom - box.top;
  const RECT span = Span(box);
  // Deep inside, every pixel is covered in full.
  const float inset = Max(radius, 0.5f) + 1;
  for (int y = span.top; y < span.bottom; ++y) {
    const float t = height > 1 ? Clamp01((static_cast<float>(y) + 0.5f - box.top) / height) : 0;
    const std::uint32_t color = Mix(from, to, t);
    const Core core = CoreOfRow(box, inset, y);
    for (int x = span.left; x < span.right; ++x) {
      if (x >= core.left && x < core.right) {
        Blend(x, y, color, alpha);
        continue;
      }
      const float d =
          RoundedDistance(box, radius, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
      Blend(x, y, color, Clamp01(0.5f - d) * alpha);
    }
  }
}

void Canvas::StrokeRounded(Box box, float radius, float width, std::uint32_t rgb, float alpha) {
  const RECT span = Span(box);
  // Deep inside, no pixel touches the line: only the band along the edges is drawn.
  const float inset = Max(radius, width + 0.5f) + 1;
  for (int y = span.top; y < span.bottom; ++y) {
    const Core core = CoreOfRow(box, inset, y);
    for (int x = span.left; x < span.right; ++x) {
      if (x >= core.left && x < core.right) {
        x = core.right - 1;
        continue;
      }
      const float d =
          RoundedDistance(box, radius, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
      const float coverage = Clamp01(0.5f - d) - Clamp01(0.5f - (d + width));
      Blend(x, y, rgb, coverage * alpha);
    }
  }
}

void Canvas::Line(float x0, float y0, float x1, float y1, float width, std::uint32_t rgb) {
  const float half = width / 2;
  const int left = static_cast<int>(Min(x0, x1) - half - 1);
  const int right = static_cast<int>(Max(x0, x1) + half + 2);
  const int top = static_cast<int>(Min(y0, y1) - half - 1);
  const int bottom = static_cast<int>(Max(y0, y1) + half + 2);
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float lengthSquared = dx * dx + dy * dy;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const float px = static_cast<float>(x) + 0.5f - x0;
      const float py = static_cast<float>(y) + 0.5f - y0;
      const float t = lengthSquared > 0 ? Clamp01((px * dx + py * dy) / lengthSquared) : 0;
      const float ex = px - dx * t;
      const float ey = py - dy * t;
      const float d = Sqrt(ex * ex + ey * ey) - half;
      Blend(x, y, rgb, Clamp01(0.5f - d));
    }
  }
}

}  // namespace skin::engine
