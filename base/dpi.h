// Lengths at a DPI. Every length of the program is given at 96 DPI (the window description, the
// tips, the preview, the skin's lines) and scaled here, in one place, with one rounding: to the
// nearest pixel, halves away from zero, as MulDiv rounds.
//
// Portable and header only. ScaleBetweenDpis divides 64-bit numbers, which on i686 needs a helper
// of the compiler's support library: the skin engine DLL, which links no run-time, scales its own
// lengths with MulDiv.
#pragma once

#include "base/geometry.h"

namespace base {

inline constexpr int kBaseDpi = 96;

// A length given at dpi `from` in pixels at dpi `to`. A `from` of 0 or less (a DPI nobody could
// tell) leaves the length as it is.
constexpr int ScaleBetweenDpis(int value, int from, int to) {
  if (from <= 0 || from == to) return value;
  const long long scaled = static_cast<long long>(value) * to;
  const long long half = from / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / from : -((-scaled + half) / from));
}

// Pixels at dpi for a length given at 96 DPI.
constexpr int ScaleForDpi(int value, int dpi) {
  return ScaleBetweenDpis(value, kBaseDpi, dpi);
}

// A described rectangle at dpi: its edges are scaled, so neighbours that touch still touch.
constexpr Rect ScaleRectForDpi(const Rect& rect, int dpi) {
  const int left = ScaleForDpi(rect.left, dpi);
  const int top = ScaleForDpi(rect.top, dpi);
  return {left, top, ScaleForDpi(rect.left + rect.width, dpi) - left,
          ScaleForDpi(rect.top + rect.height, dpi) - top};
}

}  // namespace base
