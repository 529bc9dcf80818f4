// Layout and drawing of hypertext runs.
#include "app/hypertext_win.h"

#include <algorithm>
#include <string>

#include "app/text_win.h"
#include "app/widgets_win.h"

namespace app::widgets {
namespace {

struct Piece {
  std::wstring text;
  HFONT font;
  COLORREF color;
  int x;
  int width;
};

struct VisualLine {
  std::vector<Piece> pieces;
  int height = 0;
  int ascent = 0;
};

bool IsWide(wchar_t c) {
  return c >= 0x2E80;
}

HFONT BodyFont(bool bold) {
  FontSpec font = kHypertextBodyFont;
  font.bold = bold;
  return FontFor(font);
}

std::vector<VisualLine> Layout(HDC dc, const std::vector<HypertextLine>& lines, int maxWidth) {
  std::vector<VisualLine> visual;
  TEXTMETRICW metrics{};
  SelectObject(dc, BodyFont(false));
  GetTextMetricsW(dc, &metrics);
  for (const HypertextLine& line : lines) {
    visual.push_back({{}, metrics.tmHeight, metrics.tmAscent});
    int x = 0;
    for (const HypertextRun& run : line) {
      HFONT font = BodyFont(run.bold);
      SelectObject(dc, font);
      TEXTMETRICW runMetrics{};
      GetTextMetricsW(dc, &runMetrics);
      const COLORREF color =
          RGB((run.color >> 16) & 0xFF, (run.color >> 8) & 0xFF, run.color & 0xFF);
      const std::wstring text = WideFromGbk(run.text);
      // Break opportunities: around every Chinese character and at spaces.
      size_t start = 0;
      while (start < text.size()) {
        size_t end = start + 1;
        if (!IsWide(text[start]) && text[start] != L' ') {
          while (end < text.size() && !IsWide(text[end]) && text[end] != L' ') ++end;
        }
        const std::wstring token = text.substr(start, end - start);
        SIZE extent{};
        GetTextExtentPoint32W(dc, token.c_str(), static_cast<int>(token.size()), &extent);
        if (x > 0 && x + extent.cx > maxWidth) {
          visual.push_back({{}, metrics.tmHeight, metrics.tmAscent});
          x = 0;
          if (token == L" ") {  // a space does not start a wrapped line
            start = end;
            continue;
          }
        }
        VisualLine& current = visual.back();
        current.height = std::max<int>(current.height, runMetrics.tmHeight);
        current.ascent = std::max<int>(current.ascent, runMetrics.tmAscent);
        if (!current.pieces.empty() && current.pieces.back().font == font &&
            current.pieces.back().color == color) {
          current.pieces.back().text += token;
          current.pieces.back().width += extent.cx;
        } else {
          current.pieces.push_back({token, font, color, x, extent.cx});
        }
        x += extent.cx;
        start = end;
      }
    }
  }
  return visual;
}

}  // namespace

void DrawHypertext(HDC dc, const RECT& box, const std::vector<HypertextLine>& lines) {
  const int saved = SaveDC(dc);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  std::vector<VisualLine> visual = Layout(dc, lines, width);
  int total = 0;
  for (const VisualLine& line : visual) total += line.height;
  // Tighten the pitch rather than lose the last lines of a text that was laid out for a face
  // with less leading than the one installed here.
  const bool squeeze = total > height && visual.size() > 1;
  SetBkMode(dc, TRANSPARENT);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  int y = box.top;
  for (size_t i = 0; i < visual.size(); ++i) {
    const VisualLine& line = visual[i];
    if (squeeze)
      y = box.top +
          static_cast<int>(i) * (height - line.height) / static_cast<int>(visual.size() - 1);
    for (const Piece& piece : line.pieces) {
      SelectObject(dc, piece.font);
      SetTextColor(dc, piece.color);
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      TextOutW(dc, box.left + piece.x, y + line.ascent - metrics.tmAscent, piece.text.c_str(),
               static_cast<int>(piece.text.size()));
    }
    if (!squeeze) y += line.height;
  }
  RestoreDC(dc, saved);
}

SIZE MeasureHypertext(HDC dc, const std::vector<HypertextLine>& lines, int maxWidth) {
  const int saved = SaveDC(dc);
  SIZE size{0, 0};
  for (const VisualLine& line : Layout(dc, lines, maxWidth)) {
    int right = 0;
    for (const Piece& piece : line.pieces) right = std::max(right, piece.x + piece.width);
    size.cx = std::max<LONG>(size.cx, right);
    size.cy += line.height;
  }
  RestoreDC(dc, saved);
  return size;
}

}  // namespace app::widgets
