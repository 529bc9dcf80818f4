// The window frame and title bar of top-level windows: painted by the engine in place of the
// system's, with caption buttons of the skin's own that the engine also tracks.
#include <initializer_list>

#include "skin/engine/canvas_win.h"
#include "skin/engine/engine_win.h"

namespace skin::engine {
namespace {

struct FrameGeometry {
  int width = 0;
  int height = 0;
  RECT client{};  // in window coordinates
  int border = 0;
  int captionBottom = 0;  // where the title bar ends: the menu bar's top, or the client's
};

FrameGeometry GeometryOf(HWND hwnd) {
  FrameGeometry geometry;
  RECT window{};
  GetWindowRect(hwnd, &window);
  RECT client{};
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  geometry.width = window.right - window.left;
  geometry.height = window.bottom - window.top;
  geometry.client = {origin.x - window.left, origin.y - window.top,
                     origin.x - window.left + client.right, origin.y - window.top + client.bottom};
  geometry.border = static_cast<int>(geometry.client.left);
  const RECT bar = MenuBarRectOf(hwnd);
  geometry.captionBottom =
      IsRectEmpty(&bar) ? static_cast<int>(geometry.client.top) : static_cast<int>(bar.top);
  return geometry;
}

HICON IconOf(HWND hwnd) {
  if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) return nullptr;
  auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICONSM));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICON));
  // A window without an icon of its own shows the system's default one, as Windows does.
  if (icon == nullptr) icon = LoadIconW(nullptr, IDI_APPLICATION);
  return icon;
}

bool Empty(const RECT& rect) {
  return rect.right <= rect.left || rect.bottom <= rect.top;
}

}  // namespace

CaptionButtons CaptionButtonsOf(HWND hwnd) {
  CaptionButtons buttons{};
  const FrameGeometry geometry = GeometryOf(hwnd);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const int bandTop = geometry.border;
  const int band = geometry.captionBottom - bandTop;
  if (band < 8) return buttons;
  const float scale = ScaleOf(hwnd);
  int height = band - static_cast<int>(6 * scale + 0.5f);
  if (height < 8) height = 8;
  const int width = height + static_cast<int>(10 * scale + 0.5f);
  const int gap = static_cast<int>(2 * scale + 0.5f);
  const int top = bandTop + (band - height) / 2;
  int right = geometry.width - geometry.border - static_cast<int>(3 * scale + 0.5f);
  if (style & WS_SYSMENU) {
    buttons.close = {right - width, top, right, top + height};
    right -= width + gap;
    if (style & WS_MAXIMIZEBOX) {
      buttons.maximize = {right - width, top, right, top + height};
      right -= width + gap;
    }
    if (style & WS_MINIMIZEBOX) buttons.minimize = {right - width, top, right, top + height};
    if (IconOf(hwnd) != nullptr) {
      const float scale = ScaleOf(hwnd);
      const int size = static_cast<int>(16 * scale + 0.5f);
      const int iconTop = bandTop + (band - size) / 2;
      const int iconLeft = geometry.border + static_cast<int>(5 * scale + 0.5f);
      buttons.icon = {iconLeft, iconTop, iconLeft + size, iconTop + size};
    }
  }
  return buttons;
}

namespace {

// The colours of a title bar: its gradient, dimmed for an inactive window.
struct CaptionColours {
  std::uint32_t from;
  std::uint32_t to;
  std::uint32_t side;
  std::uint32_t ink;
};

CaptionColours CaptionColoursOf(const Look& look, bool active) {
  CaptionColours colours{look.captionFrom, look.captionTo, 0, look.captionTextColor};
  if (!active) {
    colours.from = Mix(colours.from, look.windowColor, 0.55f);
    colours.to = Mix(colours.to, look.windowColor, 0.55f);
    colours.ink = Mix(look.captionTextColor, colours.from, 0.45f);
  }
  colours.side = look.captionHorizontal ? Mix(colours.from, colours.to, 0.5f) : colours.to;
  return colours;
}

// The title bar's gradient, the three other borders, the menu bar, a highlight under the top
// edge, the outer edge, and a fine line around the client area.
void PaintBorders(Canvas& canvas, HWND hwnd, const WindowState& state,
                  const FrameGeometry& geometry, const CaptionColours& colours, float line) {
  const Look& look = g_engine.look;
  const RECT& client = geometry.client;
  const int captionBottom = geometry.captionBottom;
  canvas.Gradient(RECT{0, 0, geometry.width, captionBottom}, colours.from, colours.to,
                  look.captionHorizontal != 0);
  canvas.Fill(RECT{0, captionBottom, client.left, geometry.height}, colours.side);
  canvas.Fill(RECT{client.right, captionBottom, geometry.width, geometry.height}, colours.side);
  PaintMenuBar(hwnd, state, canvas);
  canvas.Fill(RECT{client.left, client.bottom, client.right, geometry.height}, colours.side);
  const LONG edge = static_cast<LONG>(line);
  canvas.Fill(RECT{edge, edge, geometry.width - edge, 2 * edge}, Mix(colours.from, 0xFFFFFF, 0.3f));
  const Box whole{0, 0, static_cast<float>(geometry.width), static_cast<float>(geometry.height)};
  canvas.StrokeRounded(whole, 0, line, look.frameColor);
  const Box around{static_cast<float>(client.left) - line, static_cast<float>(client.top) - line,
                   static_cast<float>(client.right) + line,
                   static_cast<float>(client.bottom) + line};
  canvas.StrokeRounded(around, 0, line, Mix(colours.side, look.frameColor, 0.5f));
}

// The window's icon and title between the left border and the caption buttons.
void PaintTitle(Canvas& canvas, HWND hwnd, const FrameGeometry& geometry,
                const CaptionButtons& buttons, const CaptionColours& colours, bool active,
                float scale, float line) {
  const Look& look = g_engine.look;
  const int pad = static_cast<int>(4 * scale + 0.5f);
  int textLeft = geometry.border + 2 * pad;
  if (!Empty(buttons.icon)) {
    DrawIconEx(canvas.Dc(), buttons.icon.left, buttons.icon.top, IconOf(hwnd),
               buttons.icon.right - buttons.icon.left, buttons.icon.bottom - buttons.icon.top, 0,
               nullptr, DI_NORMAL);
    textLeft = static_cast<int>(buttons.icon.right) + pad + pad / 2;
  }
  int textRight = geometry.width - geometry.border - pad;
  for (const RECT* button : {&buttons.minimize, &buttons.maximize, &buttons.close}) {
    if (!Empty(*button) && button->left - pad < textRight) textRight = button->left - pad;
  }
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return;
  auto* title = static_cast<wchar_t*>(
      HeapAlloc(GetProcessHeap(), 0, (static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t)));
  if (title == nullptr) return;
  const int got = GetWindowTextW(hwnd, title, length + 1);
  const base::ScopedSelect font(canvas.Dc(), CaptionFontFor(DpiOf(hwnd)));
  SetBkMode(canvas.Dc(), TRANSPARENT);
  RECT textRect{textLeft, geometry.border, textRight, geometry.captionBottom};
  constexpr UINT kTitleFormat =
      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  GdiFlush();
  SetTextColor(canvas.Dc(), ToColorRef(Mix(colours.from, 0x000000, 0.35f)));
  if (Luminance(look.captionTextColor) > 0.5f && active) {
    // A soft shadow under light title text.
    RECT shadow = textRect;
    const LONG edge = static_cast<LONG>(line);
    OffsetRect(&shadow, edge, edge);
    DrawTextW(canvas.Dc(), title, got, &shadow, kTitleFormat);
  }
  SetTextColor(canvas.Dc(), ToColorRef(colours.ink));
  DrawTextW(canvas.Dc(), title, got, &textRect, kTitleFormat);
  HeapFree(GetProcessHeap(), 0, title);
}

// Minimize, maximize and close: an outline at rest, filled when hot or pressed (close in red).
void PaintCaptionButtons(Canvas& canvas, const WindowState& state, const CaptionButtons& buttons,
                         const CaptionColours& colours, float scale, float line) {
  const Look& look = g_engine.look;
  const std::uint32_t middle = Mix(colours.from, colours.to, 0.5f);
  struct Entry {
    const RECT* rect;
    int code;
  };
  const Entry entries[] = {{&buttons.minimize, HTMINBUTTON},
                           {&buttons.maximize, HTMAXBUTTON},
                           {&buttons.close, HTCLOSE}};
  for (const Entry& entry : entries) {
    const RECT& r = *entry.rect;
    if (Empty(r)) continue;
    const bool pressed = state.pressedCaptionButton == entry.code && state.pressedInside;
    const bool hot = state.hotCaptionButton == entry.code || pressed;
    const bool isClose = entry.code == HTCLOSE;
    std::uint32_t glyph = colours.ink;
    const Box box{static_cast<float>(r.left), static_cast<float>(r.top),
                  static_cast<float>(r.right), static_cast<float>(r.bottom)};
    if (hot) {
      std::uint32_t fill = isClose ? (pressed ? 0xB3261E : 0xE0453A)
                                   : Mix(middle, look.captionTextColor, pressed ? 0.35f : 0.2f);
      canvas.FillRounded(box, 4 * scale, Mix(fill, 0xFFFFFF, 0.08f), fill);
      if (isClose) glyph = 0xFFFFFF;
    } else {
      canvas.StrokeRounded(box, 4 * scale, line, glyph, 0.18f);
    }
    const float cx = (box.left + box.right) / 2;
    const float cy = (box.top + box.bottom) / 2;
    const float s = (box.bottom - box.top) * 0.2f;
    if (entry.code == HTCLOSE) {
      canvas.Line(cx - s, cy - s, cx + s, cy + s, 1.6f * scale, glyph);
      canvas.Line(cx - s, cy + s, cx + s, cy - s, 1.6f * scale, glyph);
    } else if (entry.code == HTMINBUTTON) {
      canvas.Line(cx - s, cy + s * 0.8f, cx + s, cy + s * 0.8f, 1.6f * scale, glyph);
    } else {
      canvas.StrokeRounded(Box{cx - s, cy - s, cx + s + scale, cy + s + scale}, scale, 1.4f * scale,
                           glyph);
    }
  }
}

}  // namespace

void PaintFrameBorder(HWND hwnd, const WindowState& state) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if ((style & WS_CAPTION) != WS_CAPTION || (style & WS_MINIMIZE)) return;
  const FrameGeometry geometry = GeometryOf(hwnd);
  if (geometry.width <= 0 || geometry.height <= 0) return;
  const base::ScopedWindowDc dc(hwnd);
  if (dc.Get() == nullptr) return;
  ExcludeClipRect(dc, geometry.client.left, geometry.client.top, geometry.client.right,
                  geometry.client.bottom);
  Canvas canvas(dc, geometry.width, geometry.height);
  if (!canvas.Ok()) return;
  const float scale = ScaleOf(hwnd);
  const float line = scale < 1.5f ? 1 : static_cast<float>(static_cast<int>(scale + 0.25f));
  const bool active = !state.inactive;
  const CaptionColours colours = CaptionColoursOf(g_engine.look, active);
  const CaptionButtons buttons = CaptionButtonsOf(hwnd);
  PaintBorders(canvas, hwnd, state, geometry, colours, line);
  PaintTitle(canvas, hwnd, geometry, buttons, colours, active, scale, line);
  PaintCaptionButtons(canvas, state, buttons, colours, scale, line);
  canvas.CopyTo(dc, 0, 0);
}

}  // namespace skin::engine
