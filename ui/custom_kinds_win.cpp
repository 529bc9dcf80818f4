// The classes of our own control kinds: group boxes, tab pages, transparent labels, the hypertext
// box and picture boxes. Each paints itself (through a memory bitmap where it draws over its
// parent) and forwards commands and notifications to the top-level window.
#include "ui/custom_kinds_win.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "base/skin_parts.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/background_win.h"
#include "ui/fonts_win.h"
#include "ui/hypertext.h"
#include "ui/hypertext_win.h"
#include "ui/picture_scale.h"
#include "ui/style_sheet.h"

namespace ui::widgets {

using base::ColorRefFromRgb;
using base::GbkFromWide;
using base::WindowText;

namespace {

// By CustomKind.
constexpr const wchar_t* kClassNames[] = {kGroupBoxClass, kTabPageClass, kTransLabelClass,
                                          kSimpleHtmlClass, kPicBoxClass};

// Draws through a memory bitmap, so rewriting a label every second does not flicker.
template <typename Paint>
void PaintBuffered(HWND hwnd, HDC target, Paint&& paint) {
  RECT client;
  GetClientRect(hwnd, &client);
  base::ScopedMemoryDc memory(target);
  base::ScopedBitmap bitmap(CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                                   std::max<LONG>(client.bottom, 1)));
  base::ScopedSelect selectBitmap(memory, bitmap);
  paint(memory.Get(), client);
  BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
}

// The width of the widest line of text in the DC's font.
LONG WidestLine(HDC dc, const std::wstring& text) {
  LONG widest = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    SIZE extent{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    widest = std::max(widest, extent.cx);
    start = end + 1;
  }
  return widest;
}

// The colour to draw text in over the parent: a skin engine, when one is attached, answers with
// a colour that reads well on its skin; otherwise the control's own colour stays.
COLORREF InkOver(HWND control, COLORREF wanted) {
  static const UINT inkMessage = RegisterWindowMessageW(base::skin_parts::kInkMessage);
  HWND parent = GetParent(control);
  if (parent == nullptr || inkMessage == 0) return wanted;
  const LRESULT answer =
      SendMessageW(parent, inkMessage, wanted, reinterpret_cast<LPARAM>(control));
  return (answer & base::skin_parts::kInkAnswered) ? static_cast<COLORREF>(answer & 0xFFFFFF)
                                                   : wanted;
}

// One control of a custom kind, owned by its window.
class CustomKindWindow {
 public:
  CustomKindWindow(CustomKind kind, Appearance appearance)
      : kind_(kind), appearance_(std::move(appearance)) {}

  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT OnPaint();
  LRESULT OnPrintClient(HDC dc);
  LRESULT OnSetFont(HFONT font);
  LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);
  // Containers pass what their children report on to the top-level window, which routes it.
  LRESULT ForwardToTopLevel(UINT message, WPARAM wParam, LPARAM lParam);

  void Paint(HDC dc);
  void PaintGroupBox(HDC dc);
  void PaintTransLabel(HDC target);
  void PaintSimpleHtml(HDC target);
  void PaintPicBox(HDC target);
  HFONT Font() const { return font_ != nullptr ? font_ : DefaultFont(); }
  HFONT FittingFont(HDC dc, const std::wstring& text, int width);
  void ForgetFit();

  HWND hwnd_ = nullptr;
  CustomKind kind_;
  Appearance appearance_;
  HFONT font_ = nullptr;
  // A label whose caption is wider than the label is drawn in a smaller size of its font.
  base::ScopedFont fittedFont_;
  bool fitted_ = false;
  std::optional<Picture> scaled_;  // the picture at the layout's DPI, made on first paint
};

using Window = base::WindowState<CustomKindWindow>;

LRESULT CustomKindWindow::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  hwnd_ = hwnd;
  switch (message) {
    case WM_PAINT:
      return OnPaint();
    case WM_PRINTCLIENT:
      return OnPrintClient(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_SETFONT:
      return OnSetFont(reinterpret_cast<HFONT>(wParam));
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT:
      return OnSetText(wParam, lParam);
    case WM_NCDESTROY:
      return OnNcDestroy(wParam, lParam);
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return ForwardToTopLevel(message, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CustomKindWindow::OnPaint() {
  base::ScopedPaint paint(hwnd_);
  Paint(paint);
  return 0;
}

LRESULT CustomKindWindow::OnPrintClient(HDC dc) {
  Paint(dc);
  return 0;
}

LRESULT CustomKindWindow::OnSetFont(HFONT font) {
  font_ = font;
  ForgetFit();
  return 0;
}

// The old text goes completely: the next paint redraws the background under it.
LRESULT CustomKindWindow::OnSetText(WPARAM wParam, LPARAM lParam) {
  const LRESULT set = DefWindowProcW(hwnd_, WM_SETTEXT, wParam, lParam);
  ForgetFit();
  InvalidateRect(hwnd_, nullptr, FALSE);
  return set;
}

LRESULT CustomKindWindow::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
  RemovePropW(hwnd_, base::skin_parts::kPartProperty);
  return DefWindowProcW(hwnd_, WM_NCDESTROY, wParam, lParam);
}

LRESULT CustomKindWindow::ForwardToTopLevel(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(GetAncestor(hwnd_, GA_ROOT), message, wParam, lParam);
}

void CustomKindWindow::ForgetFit() {
  fittedFont_.Reset();
  fitted_ = false;
}

void CustomKindWindow::Paint(HDC dc) {
  switch (kind_) {
    case CustomKind::kGroupBox:
      return PaintGroupBox(dc);
    case CustomKind::kTabPage:
      return FillWindowBackground(hwnd_, dc);
    case CustomKind::kTransLabel:
      return PaintTransLabel(dc);
    case CustomKind::kSimpleHtml:
      return PaintSimpleHtml(dc);
    case CustomKind::kPicBox:
      return PaintPicBox(dc);
  }
}

void CustomKindWindow::PaintGroupBox(HDC dc) {
  FillWindowBackground(hwnd_, dc);
  RECT client;
  GetClientRect(hwnd_, &client);
  base::ScopedSelect font(dc, Font());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const std::wstring caption = WindowText(hwnd_);

  // The frame line runs through the middle of the caption, as with the system's group box.
  RECT frame = client;
  frame.top = caption.empty() ? 0 : metrics.tmHeight / 2;
  COLORREF captionColor = GetSysColor(COLOR_WINDOWTEXT);
  HTHEME theme = IsAppThemed() ? OpenThemeData(hwnd_, L"BUTTON") : nullptr;
  if (theme != nullptr) {
    DrawThemeBackground(theme, dc, BP_GROUPBOX, GBS_NORMAL, &frame, nullptr);
    GetThemeColor(theme, BP_GROUPBOX, GBS_NORMAL, TMT_TEXTCOLOR, &captionColor);
    CloseThemeData(theme);
  } else {
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  }
  if (!caption.empty()) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    RECT behindCaption{6, 0, 6 + extent.cx + 4, metrics.tmHeight};
    FillRect(dc, &behindCaption, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, captionColor);
    TextOutW(dc, 8, 0, caption.c_str(), static_cast<int>(caption.size()));
  }
}

// The font a label's caption fits in: its own, or the largest smaller size of it whose widest
// line fits the label's width.
HFONT CustomKindWindow::FittingFont(HDC dc, const std::wstring& text, int width) {
  HFONT font = Font();
  if (fitted_) return fittedFont_ ? fittedFont_.Get() : font;
  fitted_ = true;
  LONG natural = 0;
  {
    base::ScopedSelect select(dc, font);
    natural = WidestLine(dc, text);
  }
  if (natural <= width || natural == 0) return font;
  LOGFONTW logical{};
  GetObjectW(font, sizeof logical, &logical);
  const LONG height = logical.lfHeight < 0 ? -logical.lfHeight : logical.lfHeight;
  for (LONG size = height * width / natural; size >= 6; --size) {
    logical.lfHeight = logical.lfHeight < 0 ? -size : size;
    base::ScopedFont candidate(CreateFontIndirectW(&logical));
    if (!candidate) break;
    base::ScopedSelect select(dc, candidate);
    if (WidestLine(dc, text) <= width) {
      fittedFont_ = std::move(candidate);
      return fittedFont_;
    }
  }
  return font;
}

void CustomKindWindow::PaintTransLabel(HDC target) {
  PaintBuffered(hwnd_, target, [&](HDC dc, RECT client) {
    PaintParentBackground(hwnd_, dc);
    const std::wstring text = WindowText(hwnd_);
    base::ScopedSelect font(dc, FittingFont(dc, text, client.right));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, InkOver(hwnd_, appearance_.textColor));
    const bool noPrefix = (GetWindowLongW(hwnd_, GWL_STYLE) & SS_NOPREFIX) != 0;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_LEFT | DT_TOP | (noPrefix ? DT_NOPREFIX : 0));
  });
}

// The hypertext box holds the program's style sheet: its body rule gives face, size and colour.
void CustomKindWindow::PaintSimpleHtml(HDC target) {
  PaintBuffered(hwnd_, target, [&](HDC dc, RECT client) {
    PaintParentBackground(hwnd_, dc);
    const StyleSheet& sheet = StyleSheet::Program();
    std::vector<HypertextLine> lines =
        ParseHypertext(GbkFromWide(WindowText(hwnd_)), sheet.Body().color);
    for (HypertextLine& line : lines) {
      for (HypertextRun& run : line) {
        const COLORREF ink = InkOver(hwnd_, ColorRefFromRgb(run.color));
        run.color = static_cast<Rgb>(GetRValue(ink)) << 16 | GetGValue(ink) << 8 | GetBValue(ink);
      }
    }
    DrawHypertext(dc, client, lines, sheet, base::LayoutDpiOf(hwnd_));
  });
}

// A picture box shows its image at its top left, on the window's background, at its natural
// size at 96 DPI and resampled to the layout's DPI above it.
void CustomKindWindow::PaintPicBox(HDC target) {
  PaintBuffered(hwnd_, target, [&](HDC dc, RECT) {
    FillWindowBackground(hwnd_, dc);
    if (!appearance_.picture) return;
    const Picture& natural = *appearance_.picture;
    const int dpi = base::LayoutDpiOf(hwnd_);
    const int width = base::ScaleForDpi(natural.width, dpi);
    const int height = base::ScaleForDpi(natural.height, dpi);
    if (dpi != base::kBaseDpi &&
        (!scaled_ || scaled_->width != width || scaled_->height != height)) {
      scaled_ = ScalePicture(natural, width, height);
    }
    const Picture& picture = dpi != base::kBaseDpi ? *scaled_ : natural;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, picture.width, picture.height, 0, 0, 0, picture.height,
                      picture.pixels.data(), &info, DIB_RGB_COLORS);
  });
}

}  // namespace

bool RegisterCustomKindClasses() {
  for (const wchar_t* name : kClassNames) {
    if (!base::RegisterWindowClass(
            {.name = name, .procedure = &Window::Procedure, .style = CS_HREDRAW | CS_VREDRAW})) {
      return false;
    }
  }
  return true;
}

HWND CreateCustomKind(CustomKind kind, Appearance appearance, DWORD exStyle, std::wstring_view text,
                      DWORD style, const RECT& place, HWND parent, UINT_PTR id) {
  const std::wstring caption(text);
  return Window::Create(new CustomKindWindow(kind, std::move(appearance)), exStyle,
                        kClassNames[static_cast<int>(kind)], caption.c_str(), style, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(id), base::ProgramInstance());
}

}  // namespace ui::widgets
