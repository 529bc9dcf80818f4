// Hypertext on GDI: the portable layout measures through the device context, then each placed
// run is drawn at its line's baseline.
#include "ui/hypertext_win.h"

#include <algorithm>
#include <string>

#include "base/dpi.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/fonts_win.h"

namespace ui::widgets {

using base::WideFromGbk;
namespace {

class GdiMeasure final : public HypertextMeasure {
 public:
  GdiMeasure(HDC dc, const StyleSheet& sheet, int dpi)
      : dc_(dc),
        regular_(FontFor(HypertextBodyFont(sheet, dc, false, dpi))),
        bold_(FontFor(HypertextBodyFont(sheet, dc, true, dpi))),
        select_(dc, nullptr) {}

  HFONT Font(bool bold) const { return bold ? bold_ : regular_; }
  // Selects the body font, regular or bold, until the next call or the end of the measure.
  void Use(bool bold) { select_.Select(Font(bold)); }

  int Width(std::string_view text, bool bold) override {
    Use(bold);
    const std::wstring wide = WideFromGbk(text);
    SIZE extent{};
    GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &extent);
    return extent.cx;
  }

  HypertextMetrics Metrics(bool bold) override {
    Use(bold);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    return {metrics.tmHeight, metrics.tmAscent};
  }

 private:
  HDC dc_;
  HFONT regular_;
  HFONT bold_;
  base::ScopedSelect select_;
};

}  // namespace

FontSpec HypertextBodyFont(const StyleSheet& sheet, HDC dc, bool bold, int dpi) {
  const TextStyle style = sheet.Body();
  if (dpi <= 0) dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : base::kBaseDpi;
  FontSpec font;
  if (!style.families.empty()) font.face = style.families.front();
  font.height = PointsToPixels(style.points, dpi > 0 ? dpi : base::kBaseDpi);
  font.bold = bold || style.bold;
  return font;
}

void DrawHypertext(HDC dc, const RECT& box, const std::vector<HypertextLine>& lines,
                   const StyleSheet& sheet, int dpi) {
  // The caller's DC gets its font, colours, mode and clipping back.
  base::ScopedSaveDc saved(dc);
  GdiMeasure measure(dc, sheet, dpi);
  const std::vector<PlacedLine> placed =
      LayoutHypertext(lines, measure, box.right - box.left, box.bottom - box.top);
  SetBkMode(dc, TRANSPARENT);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  for (const PlacedLine& line : placed) {
    for (const PlacedRun& run : line.runs) {
      measure.Use(run.bold);
      SetTextColor(dc, base::ColorRefFromRgb(run.color));
      const HypertextMetrics metrics = measure.Metrics(run.bold);
      const std::wstring text = WideFromGbk(run.text);
      TextOutW(dc, box.left + run.x, box.top + line.top + line.ascent - metrics.ascent,
               text.c_str(), static_cast<int>(text.size()));
    }
  }
}

SIZE MeasureHypertext(HDC dc, const std::vector<HypertextLine>& lines, int maxWidth,
                      const StyleSheet& sheet, int dpi) {
  GdiMeasure measure(dc, sheet, dpi);
  SIZE size{0, 0};
  for (const PlacedLine& line : LayoutHypertext(lines, measure, maxWidth)) {
    for (const PlacedRun& run : line.runs) size.cx = std::max<LONG>(size.cx, run.x + run.width);
    size.cy = line.top + line.height;
  }
  return size;
}

}  // namespace ui::widgets
