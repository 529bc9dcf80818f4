// A 32-bit memory bitmap the engine paints on before copying to the screen in one go, so no
// control is ever seen half drawn. Shapes are anti-aliased from their distance to each pixel's
// centre. Colours are 0xRRGGBB, as in the skin file.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/scoped_win.h"

namespace skin::engine {

std::uint32_t Mix(std::uint32_t from, std::uint32_t to, float amount);  // amount 0..1 towards to
COLORREF ToColorRef(std::uint32_t rgb);
std::uint32_t FromColorRef(COLORREF color);
float Luminance(std::uint32_t rgb);
float Contrast(std::uint32_t a, std::uint32_t b);

struct Box {
  float left, top, right, bottom;
};

class Canvas {
 public:
  Canvas(HDC reference, int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool Ok() const { return bits_ != nullptr; }
  HDC Dc() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Copies the bitmap to target at x, y.
  void CopyTo(HDC target, int x, int y) const;
  // Copies the pixels of area to the same place in target.
  void CopyAreaTo(HDC target, RECT area) const;

  // Shapes are drawn only inside the clip (canvas coordinates); the whole canvas by default.
  void SetClip(RECT clip);
  void ResetClip();
  RECT Clip() const { return clip_; }

  std::uint32_t* Row(int y) { return bits_ + static_cast<long>(y) * width_; }
  void Blend(int x, int y, std::uint32_t rgb, float alpha);
  void Fill(RECT rect, std::uint32_t rgb);
  void Gradient(RECT rect, std::uint32_t from, std::uint32_t to, bool horizontal);
  // A rounded rectangle filled with a top-to-bottom gradient.
  void FillRounded(Box box, float radius, std::uint32_t from, std::uint32_t to, float alpha = 1);
  // The outline of a rounded rectangle, width pixels wide, inside box.
  void StrokeRounded(Box box, float radius, float width, std::uint32_t rgb, float alpha = 1);
  // A round-capped line.
  void Line(float x0, float y0, float x1, float y1, float width, std::uint32_t rgb);

 private:
  // The pixels of box that lie inside the clip.
  RECT Span(const Box& box) const;

  int width_ = 0;
  int height_ = 0;
  std::uint32_t* bits_ = nullptr;  // the bitmap's pixels; nullptr when it could not be made
  base::ScopedMemoryDc dc_;
  base::ScopedBitmap bitmap_;
  base::ScopedSelect selected_;  // the bitmap, in dc_ for the canvas's life
  RECT clip_{};
};

}  // namespace skin::engine
