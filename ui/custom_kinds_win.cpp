// The classes of our own control kinds: group boxes, tab pages, transparent labels, the hypertext
// box and picture boxes. Each paints itself (through a memory bitmap where it draws over its
// parent) and forwards commands and notifications to the top-level window.
#include "ui/custom_kinds_win.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <memory>
#include <string>

#include "base/skin_parts.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/fonts_win.h"
#include "ui/hypertext.h"
#include "ui/hypertext_win.h"
#include "ui/navigation.h"
#include "ui/picture_scale.h"
#include "ui/tab_control_win.h"
#include "ui/widgets_win.h"

namespace ui::widgets {

using base::ColorRefFromRgb;
using base::GbkFromWide;
using base::WideFromGbk;
using base::WindowText;

void FillWindowBackground(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void PaintParentBackground(HWND child, HDC dc) {
  HWND parent = GetParent(child);
  if (parent == nullptr) return;
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT previous;
  OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
}

namespace {

// Draws through a memory bitmap, so rewriting a label every second does not flicker.
template <typename Paint>
void PaintBuffered(HWND hwnd, HDC target, Paint&& paint) {
  RECT client;
  GetClientRect(hwnd, &client);
  HDC memory = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                          std::max<LONG>(client.bottom, 1));
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  paint(memory, client);
  BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

// Messages every custom kind answers the same way.
bool HandleCommonMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT& result) {
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Appearance{}));
      return false;
    case WM_NCDESTROY:
      if (Appearance* appearance = AppearanceOf(hwnd)) appearance->ForgetFit();
      delete AppearanceOf(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      RemovePropW(hwnd, base::skin_parts::kPartProperty);
      return false;
    case WM_SETFONT:
      if (Appearance* appearance = AppearanceOf(hwnd)) {
        appearance->font = reinterpret_cast<HFONT>(wParam);
        appearance->ForgetFit();
      }
      result = 0;
      return true;
    case WM_GETFONT:
      result = AppearanceOf(hwnd) ? reinterpret_cast<LRESULT>(AppearanceOf(hwnd)->font) : 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;  // WM_PAINT covers every pixel
      return true;
    default:
      return false;
  }
}

// Containers pass what their children report on to the top-level window, which routes it.
bool ForwardToTopLevel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      result = SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
      return true;
    default:
      return false;
  }
}

template <void (*Paint)(HWND, HDC)>
LRESULT CALLBACK CustomKindProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleCommonMessage(hwnd, message, wParam, result)) return result;
  if (ForwardToTopLevel(hwnd, message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Paint(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT: {
      // The old text goes completely: the next paint redraws the background under it.
      LRESULT set = DefWindowProcW(hwnd, message, wParam, lParam);
      if (Appearance* appearance = AppearanceOf(hwnd)) appearance->ForgetFit();
      InvalidateRect(hwnd, nullptr, FALSE);
      return set;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// ---- Painting of the custom kinds ------------------------------------------------------------

void PaintGroupBox(HWND hwnd, HDC dc) {
  FillWindowBackground(hwnd, dc);
  RECT client;
  GetClientRect(hwnd, &client);
  Appearance* appearance = AppearanceOf(hwnd);
  HGDIOBJ oldFont =
      SelectObject(dc, appearance && appearance->font ? appearance->font : DefaultFont());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const std::wstring caption = WindowText(hwnd);

  // The frame line runs through the middle of the caption, as with the system's group box.
  RECT frame = client;
  frame.top = caption.empty() ? 0 : metrics.tmHeight / 2;
  COLORREF captionColor = GetSysColor(COLOR_WINDOWTEXT);
  HTHEME theme = IsAppThemed() ? OpenThemeData(hwnd, L"BUTTON") : nullptr;
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
  SelectObject(dc, oldFont);
}

// The font a label's caption fits in: its own, or the largest smaller size of it whose widest
// line fits the label's width.
HFONT FittingFont(HWND hwnd, HDC dc, const std::wstring& text, int width) {
  Appearance* appearance = AppearanceOf(hwnd);
  HFONT font = appearance && appearance->font ? appearance->font : DefaultFont();
  if (appearance == nullptr) return font;
  if (appearance->fitted) return appearance->fittedFont ? appearance->fittedFont : font;
  appearance->fitted = true;
  auto widestLine = [&](HFONT candidate) {
    SelectObject(dc, candidate);
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
  };
  const LONG natural = widestLine(font);
  if (natural <= width || natural == 0) return font;
  LOGFONTW logical{};
  GetObjectW(font, sizeof logical, &logical);
  const LONG height = logical.lfHeight < 0 ? -logical.lfHeight : logical.lfHeight;
  for (LONG size = height * width / natural; size >= 6; --size) {
    logical.lfHeight = logical.lfHeight < 0 ? -size : size;
    HFONT candidate = CreateFontIndirectW(&logical);
    if (candidate == nullptr) break;
    if (widestLine(candidate) <= width) {
      appearance->fittedFont = candidate;
      return candidate;
    }
    DeleteObject(candidate);
  }
  return font;
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

void PaintTransLabel(HWND hwnd, HDC target) {
  PaintBuffered(hwnd, target, [&](HDC dc, RECT client) {
    PaintParentBackground(hwnd, dc);
    Appearance* appearance = AppearanceOf(hwnd);
    const std::wstring text = WindowText(hwnd);
    HGDIOBJ oldFont = SelectObject(dc, FittingFont(hwnd, dc, text, client.right));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, InkOver(hwnd, appearance ? appearance->textColor : RGB(0, 0, 0)));
    const bool noPrefix = (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOPREFIX) != 0;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_LEFT | DT_TOP | (noPrefix ? DT_NOPREFIX : 0));
    SelectObject(dc, oldFont);
  });
}

// The hypertext box renders its text with the style sheet's body font.
void PaintSimpleHtml(HWND hwnd, HDC target) {
  PaintBuffered(hwnd, target, [&](HDC dc, RECT client) {
    PaintParentBackground(hwnd, dc);
    // The box holds the program's style sheet: its body rule gives face, size and colour.
    const StyleSheet& sheet = StyleSheet::Program();
    std::vector<HypertextLine> lines =
        ParseHypertext(GbkFromWide(WindowText(hwnd)), sheet.Body().color);
    for (HypertextLine& line : lines) {
      for (HypertextRun& run : line) {
        const COLORREF ink = InkOver(hwnd, ColorRefFromRgb(run.color));
        run.color = static_cast<Rgb>(GetRValue(ink)) << 16 | GetGValue(ink) << 8 | GetBValue(ink);
      }
    }
    DrawHypertext(dc, client, lines, sheet, LayoutDpiOf(hwnd));
  });
}

// A picture box shows its image at its top left, on the window's background, at its natural
// size at 96 DPI and resampled to the layout's DPI above it.
void PaintPicBox(HWND hwnd, HDC target) {
  PaintBuffered(hwnd, target, [&](HDC dc, RECT) {
    FillWindowBackground(hwnd, dc);
    Appearance* appearance = AppearanceOf(hwnd);
    if (appearance == nullptr || !appearance->picture) return;
    const int dpi = LayoutDpiOf(hwnd);
    const int width = ScaleForDpi(appearance->picture->width, dpi);
    const int height = ScaleForDpi(appearance->picture->height, dpi);
    if (dpi != 96 && (!appearance->scaled || appearance->scaled->width != width ||
                      appearance->scaled->height != height)) {
      appearance->scaled = ScalePicture(*appearance->picture, width, height);
    }
    const Picture& picture = dpi != 96 ? *appearance->scaled : *appearance->picture;
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
  struct ClassInfo {
    const wchar_t* name;
    WNDPROC proc;
  };
  const ClassInfo classes[] = {
      {kGroupBoxClass, &CustomKindProc<PaintGroupBox>},
      {kTabPageClass, &CustomKindProc<FillWindowBackground>},
      {kTransLabelClass, &CustomKindProc<PaintTransLabel>},
      {kSimpleHtmlClass, &CustomKindProc<PaintSimpleHtml>},
      {kPicBoxClass, &CustomKindProc<PaintPicBox>},
  };
  for (const ClassInfo& info : classes) {
    if (!base::RegisterWindowClass(
            {.name = info.name, .procedure = info.proc, .style = CS_HREDRAW | CS_VREDRAW})) {
      return false;
    }
  }
  return true;
}

}  // namespace ui::widgets
