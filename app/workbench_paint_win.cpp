// Drawing of the workbench's rows (GBK texts, drawn as UTF-16).
#include "app/workbench_paint_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "compose/script_model.h"
#include "compose/workbench_rows.h"
#include "ui/colour_codes.h"
#include "ui/navigation.h"

namespace app::win {
namespace {

using ui::widgets::RowLook;

// More than a row ever shows, cut at a character's start.
constexpr std::size_t kDrawnBytes = 600;

std::string_view DrawnStart(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && at < kDrawnBytes) at += base::CharLength(text, at);
  return text.substr(0, at);
}

// The start of the row's line, without composing a line of megabytes whole.
std::string ComposedStart(const compose::ScriptLine& row) {
  const compose::DirectiveForm& form = compose::FormOf(row.directive);
  std::string text(form.literal);
  const std::size_t fields = std::min(row.fields.size(), form.fields.size());
  for (std::size_t i = 0; i < fields && text.size() <= kDrawnBytes; ++i) {
    if (i > 0) text += form.separators[i - 1];
    text.append(row.fields[i], 0, kDrawnBytes + 1);
  }
  return text;
}

bool IsLight(COLORREF colour) {
  return GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114 > 128000;
}

COLORREF NoteInk(const RowLook& look, bool problem) {
  if (problem) return IsLight(look.background) ? RGB(0xB0, 0x30, 0x00) : RGB(0xFF, 0xB0, 0x60);
  return IsLight(look.background) ? RGB(0x1F, 0x5F, 0xA8) : RGB(0x9C, 0xD8, 0xFF);
}

COLORREF Blend(COLORREF over, COLORREF under, int percent) {
  const auto mix = [percent](int a, int b) { return (a * percent + b * (100 - percent)) / 100; };
  return RGB(mix(GetRValue(over), GetRValue(under)), mix(GetGValue(over), GetGValue(under)),
             mix(GetBValue(over), GetBValue(under)));
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  return extent.cx;
}

// Draws text at x on the line at top; returns the x after it.
int DrawAt(HDC dc, int x, int top, const std::wstring& text, COLORREF ink) {
  SetTextColor(dc, ink);
  TextOutW(dc, x, top, text.c_str(), static_cast<int>(text.size()));
  return x + TextWidth(dc, text);
}

// A chat text as the chat shows it: its codes applied, on the chat's dark background, each
// glyph with its shadow; placeholders underlined, what the game shows as written in red.
int DrawChatText(HDC dc, int x, int top, int height, std::string_view text, const RowLook& look) {
  const ui::ChatLine chat = ui::ReadChatCodes(text);
  std::vector<std::wstring> pieces;
  int width = 0;
  for (const ui::ChatRun& run : chat.runs) {
    pieces.push_back(base::WideFromGbk(run.text));
    width += TextWidth(dc, pieces.back());
  }
  const int pad = ui::ScaleForDpi(2, look.dpi);
  const int shadow = std::max(ui::ScaleForDpi(1, look.dpi), 1);
  const RECT strip{x, top, x + width + 2 * pad, top + height};
  base::ScopedBrush dark(CreateSolidBrush(Blend(RGB(0, 0, 0), look.background, 70)));
  FillRect(dc, &strip, dark);
  x += pad;
  for (std::size_t i = 0; i < chat.runs.size(); ++i) {
    const ui::ChatRun& run = chat.runs[i];
    const bool flagged = run.kind == ui::RunKind::kFlagged;
    const COLORREF ink =
        flagged ? RGB(0xFF, 0x40, 0x40) : base::ColorRefFromRgb(ui::StyleColour(run.style));
    DrawAt(dc, x + shadow, top + shadow, pieces[i],
           base::ColorRefFromRgb(ui::StyleShadowColour(run.style)));
    const int end = DrawAt(dc, x, top, pieces[i], ink);
    if (run.kind == ui::RunKind::kPlaceholder) {
      const RECT line{x, top + height - shadow - 1, end, top + height - 1};
      base::ScopedBrush mark(CreateSolidBrush(RGB(0x6E, 0x9A, 0xE6)));
      FillRect(dc, &line, mark);
    }
    x = end;
  }
  return x + pad;
}

int LineHeight(HDC dc) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  return metrics.tmHeight;
}

// The row's number, right-aligned in a column as wide as five digits; returns where text starts.
int DrawNumber(HDC dc, const RECT& rect, int top, std::size_t number, const RowLook& look) {
  const int pad = ui::ScaleForDpi(4, look.dpi);
  const int column = TextWidth(dc, L"00000");
  if (number != 0) {
    const std::wstring text = std::to_wstring(number);
    DrawAt(dc, rect.left + pad + column - TextWidth(dc, text), top, text, look.faintInk);
  }
  return rect.left + 2 * pad + column;
}

}  // namespace

void PaintScriptRow(HDC dc, const RECT& rect, const RowLook& look, const ScriptRowText& text) {
  const int height = LineHeight(dc);
  const int top = rect.top + ui::ScaleForDpi(3, look.dpi);
  const int gap = ui::ScaleForDpi(10, look.dpi);
  const int left = DrawNumber(dc, rect, top, text.number, look);
  const int afterCaption =
      DrawAt(dc, left, top, base::WideFromGbk(compose::RowCaption(text.row)), look.ink);
  if (!text.notes.empty()) {
    const std::wstring notes = base::WideFromGbk(DrawnStart(text.notes));
    RECT area{afterCaption + gap, top, rect.right - gap / 2, top + height};
    SetTextColor(dc, NoteInk(look, text.problem));
    DrawTextW(dc, notes.c_str(), static_cast<int>(notes.size()), &area,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  const std::string line = ComposedStart(text.row);
  const std::string_view shown = DrawnStart(line);
  int x = left;
  std::size_t at = 0;
  for (const compose::TextSpan& span : compose::ChatTextSpans(text.row)) {
    if (span.offset >= shown.size() || x > rect.right) break;
    x = DrawAt(dc, x, top + height, base::WideFromGbk(shown.substr(at, span.offset - at)),
               look.ink);
    x = DrawChatText(dc, x, top + height, height, shown.substr(span.offset, span.length), look);
    at = std::min(span.offset + span.length, shown.size());
  }
  if (at < shown.size() && x <= rect.right) {
    DrawAt(dc, x, top + height, base::WideFromGbk(shown.substr(at)), look.ink);
  }
}

void PaintCommandRow(HDC dc, const RECT& rect, const RowLook& look, std::size_t number,
                     std::string_view command, bool tooLongForChat) {
  const int top = rect.top + ui::ScaleForDpi(3, look.dpi);
  int x = number != 0 ? DrawNumber(dc, rect, top, number, look)
                      : rect.left + ui::ScaleForDpi(4, look.dpi);
  if (tooLongForChat) {
    x = DrawAt(dc, x, top, L"超出聊天栏256字 ", NoteInk(look, true));
  }
  std::string_view shown = DrawnStart(command);
  shown = shown.substr(0, shown.find_first_of("\r\n"));
  const std::wstring wide = base::WideFromGbk(shown);
  RECT area{x, top, rect.right - ui::ScaleForDpi(4, look.dpi), rect.bottom};
  SetTextColor(dc, look.ink);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area,
            DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace app::win
