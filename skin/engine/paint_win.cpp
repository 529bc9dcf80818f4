// Painting of the window kinds in the attached skin's look. Everything is drawn on a memory
// bitmap first and copied in one go.
#include "skin/engine/engine_win.h"

#include <commctrl.h>

#include "base/skin_parts.h"
#include "skin/engine/canvas_win.h"

namespace skin::engine {

using base::skin_parts::Part;
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

const Look& L() {
  return g_engine.look;
}

RECT ClientRect(HWND hwnd) {
  RECT rect{};
  GetClientRect(hwnd, &rect);
  return rect;
}

Box ToBox(RECT rect) {
  return {static_cast<float>(rect.left), static_cast<float>(rect.top),
          static_cast<float>(rect.right), static_cast<float>(rect.bottom)};
}

HFONT FontOf(HWND hwnd) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The window's text in a heap block (nullptr when empty); free with FreeText.
wchar_t* TextOf(HWND hwnd, int* length) {
  const int size = GetWindowTextLengthW(hwnd);
  *length = 0;
  if (size <= 0) return nullptr;
  auto* text = static_cast<wchar_t*>(
      HeapAlloc(GetProcessHeap(), 0, (static_cast<SIZE_T>(size) + 1) * sizeof(wchar_t)));
  if (text == nullptr) return nullptr;
  *length = GetWindowTextW(hwnd, text, size + 1);
  return text;
}

void FreeText(wchar_t* text) {
  if (text != nullptr) HeapFree(GetProcessHeap(), 0, text);
}

bool HasLineBreak(const wchar_t* text, int length) {
  for (int i = 0; i < length; ++i) {
    if (text[i] == L'\n') return true;
  }
  return false;
}

// Draws text centred in rect, on as many lines as it has; with wrap, a line too wide for rect
// continues on the next (between any two characters, as Chinese text breaks).
void DrawCentred(HDC dc, const wchar_t* text, int length, RECT rect, bool wrap) {
  if (text == nullptr || length == 0) return;
  struct Span {
    int start, count;
  };
  constexpr int kMaxLines = 8;
  Span lines[kMaxLines];
  int lineCount = 0;
  const int width = rect.right - rect.left;
  for (int start = 0; start <= length && lineCount < kMaxLines;) {
    int end = start;
    while (end < length && text[end] != L'\n') ++end;
    int count = end - start;
    if (count > 0 && text[start + count - 1] == L'\r') --count;
    int at = start;
    do {
      int piece = count - (at - start);
      if (wrap && piece > 1) {
        int fit = 0;
        SIZE extent{};
        GetTextExtentExPointW(dc, text + at, piece, width, &fit, nullptr, &extent);
        if (fit < piece) piece = fit < 1 ? 1 : fit;
      }
      lines[lineCount++] = {at, piece};
      at += piece;
    } while (at < start + count && lineCount < kMaxLines);
    start = end + 1;
  }
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int lineHeight = metrics.tmHeight;
  int top = rect.top + (rect.bottom - rect.top - lineHeight * lineCount) / 2;
  for (int i = 0; i < lineCount; ++i, top += lineHeight) {
    RECT line{rect.left, top, rect.right, top + lineHeight};
    DrawTextW(dc, text + lines[i].start, lines[i].count, &line, DT_CENTER | DT_SINGLELINE);
  }
}

// The parent's surface under a control, painted over the control's whole canvas.
void PaintBehind(HWND hwnd, Canvas& canvas) {
  HWND parent = GetParent(hwnd);
  const Surface surface = SurfaceOf(parent != nullptr ? parent : hwnd);
  PaintSurface(canvas, RECT{0, 0, canvas.Width(), canvas.Height()}, surface, OriginInTop(hwnd));
}

Surface SurfaceBehind(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  return SurfaceOf(parent != nullptr ? parent : hwnd);
}

std::uint32_t TexelAt(Texture texture, long x, long y) {
  const long tx = ((x % 8) + 8) % 8;
  const long ty = ((y % 8) + 8) % 8;
  switch (texture) {
    case Texture::kPlain:
      return 0;
    case Texture::kDots:
      return (tx % 4 == 0 && ty % 4 == 0) ? 1 : 0;
    case Texture::kLines:
      return ty % 4 == 0 ? 1 : 0;
    case Texture::kDiagonal:
      return (tx + ty) % 4 == 0 ? 1 : 0;
    case Texture::kGrid:
      return (tx == 0 || ty == 0) ? 1 : 0;
  }
  return 0;
}

// A frame is filled as a card only around controls of its own: frames drawn beneath their
// siblings stay open, so those siblings, painted on the panel, match what surrounds them.
bool HasCard(HWND frame) {
  return L().groupFilled && GetWindow(frame, GW_CHILD) != nullptr;
}

// Line widths of the skin at a window's scale: whole pixels, so lines stay crisp.
float LineWidth(float scale) {
  return scale < 1.5f ? 1 : static_cast<float>(static_cast<int>(scale + 0.25f));
}

// ink, moved toward black or white until it reads on background with at least the contrast
// asked for.
std::uint32_t ReadableOn(std::uint32_t ink, std::uint32_t background, float enough) {
  if (Contrast(ink, background) >= enough) return ink;
  const std::uint32_t toward = Luminance(background) > 0.25f ? kBlack : kWhite;
  for (int step = 1; step <= 10; ++step) {
    const std::uint32_t candidate = Mix(ink, toward, static_cast<float>(step) / 10);
    if (Contrast(candidate, background) >= enough) return candidate;
  }
  return toward;
}

// The texture's marks are a faint tint of the skin's texture colour over the surface.
std::uint32_t TextureOn(std::uint32_t base) {
  return Mix(base, L().textureColor, L().dark ? 0.06f : 0.1f);
}

}  // namespace

Surface SurfaceOf(HWND hwnd) {
  const Look& look = L();
  for (HWND window = hwnd; window != nullptr; window = GetParent(window)) {
    const int part = PartOf(window);
    if (part == static_cast<int>(Part::kFrame) && HasCard(window)) {
      return {SurfaceKind::kCard, look.groupFillColor, look.groupFillColor, false};
    }
    if (part == static_cast<int>(Part::kPanel)) {
      return {SurfaceKind::kPanel, look.panelColor, TextureOn(look.panelColor),
              look.texture != Texture::kPlain};
    }
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) == 0) break;
  }
  return {SurfaceKind::kWindow, look.windowColor, TextureOn(look.windowColor),
          look.texture != Texture::kPlain};
}

POINT OriginInTop(HWND hwnd) {
  POINT origin{0, 0};
  HWND top = GetAncestor(hwnd, GA_ROOT);
  if (top != nullptr && top != hwnd) MapWindowPoints(hwnd, top, &origin, 1);
  return origin;
}

HBRUSH BrushFor(const Surface& surface) {
  switch (surface.kind) {
    case SurfaceKind::kPanel:
      return g_engine.objects->panelBrush;
    case SurfaceKind::kCard:
      return g_engine.objects->cardBrush;
    case SurfaceKind::kWindow:
      break;
  }
  return g_engine.objects->windowBrush;
}

void PaintSurface(Canvas& canvas, RECT rect, const Surface& surface, POINT origin) {
  canvas.Fill(rect, surface.base);
  if (!surface.textured) return;
  // Only the pixels inside the canvas's clip can change.
  const RECT clip = canvas.Clip();
  if (!IntersectRect(&rect, &rect, &clip)) return;
  const Texture texture = L().texture;
  for (long y = rect.top; y < rect.bottom; ++y) {
    for (long x = rect.left; x < rect.right; ++x) {
      if (TexelAt(texture, x + origin.x, y + origin.y)) {
        canvas.Blend(static_cast<int>(x), static_cast<int>(y), surface.texture, 1);
      }
    }
  }
}

std::uint32_t LegibleInk(std::uint32_t wanted, const Surface& surface) {
  if (wanted == kBlack) return L().textColor;
  constexpr float kEnough = 2.6f;
  if (Contrast(wanted, surface.base) >= kEnough) return wanted;
  const std::uint32_t toward = Luminance(surface.base) > 0.25f ? kBlack : kWhite;
  for (int step = 1; step <= 10; ++step) {
    const std::uint32_t candidate = Mix(wanted, toward, static_cast<float>(step) / 10);
    if (Contrast(candidate, surface.base) >= kEnough) return candidate;
  }
  return L().textColor;
}

bool DrawArea(HWND hwnd, HDC dc, RECT& area) {
  const RECT client = ClientRect(hwnd);
  RECT clip{};
  if (GetClipBox(dc, &clip) == ERROR) clip = client;
  return IntersectRect(&area, &clip, &client) != 0;
}

void FillSurface(HWND hwnd, HDC dc) {
  RECT area{};
  if (!DrawArea(hwnd, dc, area)) return;
  const Surface surface = SurfaceOf(hwnd);
  if (!surface.textured) {
    // A plain surface is one colour: GDI fills just the pixels the clip leaves.
    FillRect(dc, &area, BrushFor(surface));
    return;
  }
  Canvas canvas(dc, area.right - area.left, area.bottom - area.top);
  if (!canvas.Ok()) return;
  const POINT origin = OriginInTop(hwnd);
  PaintSurface(canvas, RECT{0, 0, canvas.Width(), canvas.Height()}, surface,
               POINT{origin.x + area.left, origin.y + area.top});
  canvas.CopyTo(dc, area.left, area.top);
}

void PaintPanel(HWND hwnd, HDC dc) {
  FillSurface(hwnd, dc);
}

void PaintGroup(HWND hwnd, HDC dc) {
  const Look& look = L();
  const RECT client = ClientRect(hwnd);
  Canvas canvas(dc, client.right, client.bottom);
  if (!canvas.Ok()) return;
  // A label on the frame asks for the few pixels under it only.
  RECT area{};
  if (!DrawArea(hwnd, dc, area)) return;
  canvas.SetClip(area);
  PaintBehind(hwnd, canvas);

  int length = 0;
  wchar_t* text = TextOf(hwnd, &length);
  const base::ScopedSelect font(canvas.Dc(), FontOf(hwnd));
  TEXTMETRICW metrics{};
  GetTextMetricsW(canvas.Dc(), &metrics);
  SIZE extent{};
  if (length > 0) GetTextExtentPoint32W(canvas.Dc(), text, length, &extent);

  const float scale = ScaleOf(hwnd);
  const float line = LineWidth(scale);
  const float radius = look.groupRadius * scale;
  // The caption's badge is a little taller than its text, so the text clears the outline, as far
  // as the first row inside leaves room above it.
  const int inset = static_cast<int>(2 * scale + 0.5f);
  int badgeHeight = metrics.tmHeight + 2 * inset;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
    if (rect.top > metrics.tmHeight / 2 && rect.top < badgeHeight) badgeHeight = rect.top;
  }
  if (badgeHeight < metrics.tmHeight) badgeHeight = metrics.tmHeight;
  Box frame = ToBox(client);
  frame.top = length > 0 ? static_cast<float>(badgeHeight / 2) : 0;
  if (HasCard(hwnd)) {
    canvas.FillRounded(frame, radius, look.groupFillColor, look.groupFillColor);
  }
  canvas.StrokeRounded(frame, radius, line, look.groupBorderColor);
  // The caption sits on the frame's top edge in a small badge of its own; a label elsewhere on
  // the frame asks for pixels the badge does not reach, and needs none of it.
  const float padding = 7 * scale;
  const Box badgeBox{6 * scale, 0, 6 * scale + static_cast<float>(extent.cx) + 2 * padding,
                     static_cast<float>(badgeHeight)};
  const RECT badgeSpan{static_cast<LONG>(badgeBox.left), 0, static_cast<LONG>(badgeBox.right) + 1,
                       badgeHeight + 1};
  RECT badgeShown{};
  if (length > 0 && IntersectRect(&badgeShown, &badgeSpan, &area)) {
    const Surface behind = SurfaceBehind(hwnd);
    const std::uint32_t badge = Mix(HasCard(hwnd) ? look.groupFillColor : behind.base,
                                    look.accentColor, look.dark ? 0.22f : 0.12f);
    canvas.FillRounded(badgeBox, static_cast<float>(badgeHeight) / 2, badge, badge);
    // Where the first row inside leaves no room above and below the text, the badge goes without
    // its outline rather than have the outline run through the characters.
    if (badgeHeight >= metrics.tmHeight + 2 * inset) {
      canvas.StrokeRounded(badgeBox, static_cast<float>(badgeHeight) / 2, line,
                           look.groupBorderColor);
    }
    SetBkMode(canvas.Dc(), TRANSPARENT);
    SetTextColor(canvas.Dc(), ToColorRef(look.groupCaptionColor));
    GdiFlush();
    TextOutW(canvas.Dc(), static_cast<int>(badgeBox.left + padding),
             (badgeHeight - metrics.tmHeight + 1) / 2, text, length);
  }
  FreeText(text);
  canvas.CopyAreaTo(dc, area);
}

void PaintPushButton(HWND hwnd, const WindowState& state, HDC dc) {
  const Look& look = L();
  const RECT client = ClientRect(hwnd);
  Canvas canvas(dc, client.right, client.bottom);
  if (!canvas.Ok()) return;
  PaintBehind(hwnd, canvas);

  const LRESULT buttonState = SendMessageW(hwnd, BM_GETSTATE, 0, 0);
  const bool pressed = (buttonState & BST_PUSHED) != 0;
  const bool disabled = !IsWindowEnabled(hwnd);
  const bool focused = GetFocus() == hwnd;
  const bool isDefault = (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  const Surface behind = SurfaceBehind(hwnd);

  std::uint32_t from = look.buttonFrom;
  std::uint32_t to = look.buttonTo;
  std::uint32_t border = look.buttonBorderColor;
  if (disabled) {
    from = Mix(look.buttonFrom, behind.base, 0.55f);
    to = Mix(look.buttonTo, behind.base, 0.55f);
    border = Mix(look.buttonBorderColor, behind.base, 0.5f);
  } else if (pressed) {
    from = look.buttonPressedFrom;
    to = look.buttonPressedTo;
    border = look.accentColor;
  } else if (state.hot) {
    from = look.buttonHotFrom;
    to = look.buttonHotTo;
    border = Mix(look.buttonBorderColor, look.accentColor, 0.6f);
  } else if (focused || isDefault) {
    border = Mix(look.buttonBorderColor, look.accentColor, 0.7f);
  }
  const float scale = ScaleOf(hwnd);
  const float line = LineWidth(scale);
  const float radius = look.buttonRadius * scale;
  const Box face{0, 0, static_cast<float>(client.right), static_cast<float>(client.bottom)};
  canvas.FillRounded(face, radius, from, to);
  if (!pressed && !disabled) {
    // A soft highlight along the top edge.
    const Box shine{line, line, face.right - line, face.bottom / 2};
    canvas.FillRounded(shine, radius > line ? radius - line : 0, kWhite, from,
                       look.dark ? 0.08f : 0.3f);
  }
  canvas.StrokeRounded(face, radius, line, border);
  if (focused && !disabled) {
    // The focus mark: a ring inside the border, strong enough to see at a glance.
    const Box ring{line, line, face.right - line, face.bottom - line};
    canvas.StrokeRounded(ring, radius > line ? radius - line : 0, line, look.accentColor, 0.85f);
  }

  int length = 0;
  wchar_t* text = TextOf(hwnd, &length);
  const base::ScopedSelect font(canvas.Dc(), FontOf(hwnd));
  SetBkMode(canvas.Dc(), TRANSPARENT);
  // Disabled text is dimmed, but never below a contrast that can still be read.
  SetTextColor(canvas.Dc(),
               ToColorRef(disabled ? ReadableOn(look.disabledTextColor, Mix(from, to, 0.5f), 3.0f)
                                   : look.buttonTextColor));
  const int padX = static_cast<int>(4 * scale + 0.5f);
  const int padY = static_cast<int>(2 * scale + 0.5f);
  RECT textRect{padX, padY, client.right - padX, client.bottom - padY};
  if (pressed) OffsetRect(&textRect, 0, static_cast<int>(line));
  GdiFlush();
  DrawCentred(canvas.Dc(), text, length, textRect,
              (GetWindowLongW(hwnd, GWL_STYLE) & BS_MULTILINE) != 0);
  FreeText(text);
  canvas.CopyTo(dc, 0, 0);
}

namespace {

// What a check box or radio box shows, read from the control.
struct CheckFace {
  bool radio;
  bool checked;
  bool pressed;
  bool disabled;
  bool hot;
};

// The box or circle of a check or radio box: ticked and filled when a checked check box, a dot
// inside when a checked radio box.
void PaintCheckMark(Canvas& canvas, const Box& mark, float size, const CheckFace& face,
                    const Surface& behind, float scale, float line) {
  const Look& look = L();
  const float radius = face.radio ? size / 2 : 3 * scale;
  std::uint32_t border = face.hot ? look.accentColor : Mix(look.fieldBorderColor, kBlack, 0.1f);
  std::uint32_t fill = look.fieldColor;
  if (face.pressed) fill = Mix(look.fieldColor, look.accentColor, 0.25f);
  if (face.disabled) {
    border = Mix(look.fieldBorderColor, behind.base, 0.5f);
    fill = Mix(look.fieldColor, behind.base, 0.5f);
  }
  if (face.checked && !face.radio && !face.disabled) {
    canvas.FillRounded(mark, radius, look.accentColor, Mix(look.accentColor, kBlack, 0.15f));
    canvas.StrokeRounded(mark, radius, line, Mix(look.accentColor, kBlack, 0.2f));
    canvas.Line(mark.left + size * 0.25f, mark.top + size * 0.52f, mark.left + size * 0.43f,
                mark.top + size * 0.7f, 1.8f * scale, kWhite);
    canvas.Line(mark.left + size * 0.43f, mark.top + size * 0.7f, mark.left + size * 0.76f,
                mark.top + size * 0.3f, 1.8f * scale, kWhite);
    return;
  }
  canvas.FillRounded(mark, radius, fill, Mix(fill, look.accentColor, 0.08f));
  canvas.StrokeRounded(mark, radius, (face.hot || face.checked ? 1.5f : 1) * line,
                       face.checked ? look.accentColor : border);
  if (!face.checked) return;
  const float inset = size * 0.27f;
  const Box dot{mark.left + inset, mark.top + inset, mark.right - inset, mark.bottom - inset};
  const std::uint32_t ink = face.disabled ? look.disabledTextColor : look.accentColor;
  if (face.radio) {
    canvas.FillRounded(dot, (dot.right - dot.left) / 2, Mix(ink, kWhite, 0.2f), ink);
  } else {
    canvas.FillRounded(dot, scale, ink, ink);
  }
}

// The caption right of the mark, underlined when the control has the focus.
void PaintCheckCaption(Canvas& canvas, HWND hwnd, const RECT& client, int markSize,
                       const CheckFace& face, const Surface& behind, float scale, float line) {
  const Look& look = L();
  int length = 0;
  wchar_t* text = TextOf(hwnd, &length);
  SetBkMode(canvas.Dc(), TRANSPARENT);
  const std::uint32_t ink = face.disabled ? look.disabledTextColor : LegibleInk(kBlack, behind);
  SetTextColor(canvas.Dc(), ToColorRef(ink));
  RECT textRect{markSize + static_cast<int>(6 * scale + 0.5f), 0, client.right, client.bottom};
  GdiFlush();
  if (text != nullptr) {
    DrawTextW(canvas.Dc(), text, length, &textRect,
              DT_LEFT | DT_VCENTER | (HasLineBreak(text, length) ? 0 : DT_SINGLELINE));
    if (GetFocus() == hwnd) {
      RECT measure = textRect;
      DrawTextW(canvas.Dc(), text, length, &measure, DT_LEFT | DT_CALCRECT | DT_SINGLELINE);
      const float y = static_cast<float>(client.bottom + measure.bottom - measure.top) / 2 + line;
      canvas.Line(static_cast<float>(textRect.left), y,
                  static_cast<float>(textRect.left + measure.right - measure.left), y, line,
                  look.accentColor);
    }
  }
  FreeText(text);
}

}  // namespace

void PaintCheck(HWND hwnd, const WindowState& state, HDC dc) {
  const RECT client = ClientRect(hwnd);
  Canvas canvas(dc, client.right, client.bottom);
  if (!canvas.Ok()) return;
  PaintBehind(hwnd, canvas);

  const LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  const LRESULT buttonState = SendMessageW(hwnd, BM_GETSTATE, 0, 0);
  const CheckFace face{.radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON,
                       .checked = (buttonState & BST_CHECKED) != 0,
                       .pressed = (buttonState & BST_PUSHED) != 0,
                       .disabled = !IsWindowEnabled(hwnd),
                       .hot = state.hot};
  const Surface behind = SurfaceBehind(hwnd);

  const base::ScopedSelect font(canvas.Dc(), FontOf(hwnd));
  TEXTMETRICW metrics{};
  GetTextMetricsW(canvas.Dc(), &metrics);
  const float scale = ScaleOf(hwnd);
  const float line = LineWidth(scale);
  // The mark is three quarters of the text's height, never below 13 pixels at 96 DPI.
  int size = metrics.tmHeight * 3 / 4;
  const int smallest = static_cast<int>(13 * scale + 0.5f);
  if (size < smallest) size = smallest;
  if (size > client.bottom) size = client.bottom;
  const float top = static_cast<float>((client.bottom - size) / 2);
  const Box mark{line, top, line + static_cast<float>(size), top + static_cast<float>(size)};
  PaintCheckMark(canvas, mark, static_cast<float>(size), face, behind, scale, line);
  PaintCheckCaption(canvas, hwnd, client, size, face, behind, scale, line);
  canvas.CopyTo(dc, 0, 0);
}

void PaintCombo(HWND hwnd, const WindowState& state, HDC dc) {
  const Look& look = L();
  const RECT client = ClientRect(hwnd);
  Canvas canvas(dc, client.right, client.bottom);
  if (!canvas.Ok()) return;
  PaintBehind(hwnd, canvas);

  const bool disabled = !IsWindowEnabled(hwnd);
  const bool focused = GetFocus() == hwnd;
  const bool dropped = SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
  const Surface behind = SurfaceBehind(hwnd);
  const float scale = ScaleOf(hwnd);
  const float line = LineWidth(scale);
  const float radius = (look.buttonRadius > 4 ? 4 : look.buttonRadius) * scale;
  const Box box{0, 0, static_cast<float>(client.right), static_cast<float>(client.bottom)};
  const std::uint32_t field = disabled ? Mix(look.fieldColor, behind.base, 0.5f) : look.fieldColor;
  canvas.FillRounded(box, radius, field, field);

  // The arrow button.
  const int narrowest = static_cast<int>(16 * scale + 0.5f);
  const int arrowWidth = client.bottom < narrowest ? narrowest : client.bottom;
  const Box arrow{box.right - static_cast<float>(arrowWidth), 0, box.right, box.bottom};
  std::uint32_t from =
      dropped ? look.buttonPressedFrom : (state.hot ? look.buttonHotFrom : look.buttonFrom);
  std::uint32_t to =
      dropped ? look.buttonPressedTo : (state.hot ? look.buttonHotTo : look.buttonTo);
  if (disabled) {
    from = Mix(from, behind.base, 0.5f);
    to = Mix(to, behind.base, 0.5f);
  }
  canvas.SetClip(RECT{client.right - arrowWidth, 0, client.right, client.bottom});
  canvas.FillRounded(box, radius, from, to);
  canvas.ResetClip();
  canvas.Line(arrow.left, line, arrow.left, box.bottom - line, line,
              Mix(look.buttonBorderColor, field, 0.3f));
  const float cx = (arrow.left + arrow.right) / 2;
  const float cy = box.bottom / 2;
  const std::uint32_t chevron = disabled ? look.disabledTextColor : look.buttonTextColor;
  canvas.Line(cx - 3.5f * scale, cy - 1.5f * scale, cx, cy + 2 * scale, 1.6f * scale, chevron);
  canvas.Line(cx, cy + 2 * scale, cx + 3.5f * scale, cy - 1.5f * scale, 1.6f * scale, chevron);

  std::uint32_t border = look.fieldBorderColor;
  if (focused || dropped) {
    border = look.accentColor;
  } else if (state.hot) {
    border = Mix(look.fieldBorderColor, look.accentColor, 0.5f);
  }
  canvas.StrokeRounded(box, radius, focused ? 2 * line : line, border);

  const LRESULT selection = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
  if (selection >= 0) {
    const LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
    if (length > 0 && length < 4096) {
      auto* text = static_cast<wchar_t*>(
          HeapAlloc(GetProcessHeap(), 0, (static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t)));
      if (text != nullptr) {
        const LRESULT got = SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(selection),
                                         reinterpret_cast<LPARAM>(text));
        const base::ScopedSelect font(canvas.Dc(), FontOf(hwnd));
        SetBkMode(canvas.Dc(), TRANSPARENT);
        SetTextColor(canvas.Dc(),
                     ToColorRef(disabled ? look.disabledTextColor : look.fieldTextColor));
        RECT textRect{static_cast<int>(5 * scale + 0.5f), 0,
                      client.right - arrowWidth - static_cast<int>(2 * scale + 0.5f),
                      client.bottom};
        GdiFlush();
        if (got > 0) {
          DrawTextW(canvas.Dc(), text, static_cast<int>(got), &textRect,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        HeapFree(GetProcessHeap(), 0, text);
      }
    }
  }
  canvas.CopyTo(dc, 0, 0);
}

void PaintTab(HWND hwnd, const WindowState& state, HDC dc) {
  const Look& look = L();
  const RECT client = ClientRect(hwnd);
  Canvas canvas(dc, client.right, client.bottom);
  if (!canvas.Ok()) return;
  PaintBehind(hwnd, canvas);

  const float scale = ScaleOf(hwnd);
  const float line = LineWidth(scale);
  const bool focused = GetFocus() == hwnd;
  RECT display = client;
  SendMessageW(hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  // The page area, framed; the pages themselves cover its inside.
  const Box pageBox{static_cast<float>(display.left - 2), static_cast<float>(display.top - 2),
                    static_cast<float>(display.right + 2), static_cast<float>(display.bottom + 2)};
  canvas.FillRounded(pageBox, 2 * scale, look.panelColor, look.panelColor);
  canvas.StrokeRounded(pageBox, 2 * scale, line, look.tabBorderColor);

  const int count = static_cast<int>(SendMessageW(hwnd, TCM_GETITEMCOUNT, 0, 0));
  const int selected = static_cast<int>(SendMessageW(hwnd, TCM_GETCURSEL, 0, 0));
  const base::ScopedSelect font(canvas.Dc(), FontOf(hwnd));
  SetBkMode(canvas.Dc(), TRANSPARENT);
  for (int pass = 0; pass < 2; ++pass) {
    // Unselected tabs first, so the selected one overlaps its neighbours.
    for (int i = 0; i < count; ++i) {
      if ((i == selected) != (pass == 1)) continue;
      RECT item{};
      if (!SendMessageW(hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(&item))) {
        continue;
      }
      const bool isSelected = i == selected;
      if (isSelected) InflateRect(&item, 2, 0);
      const float top = static_cast<float>(isSelected ? item.top - 2 : item.top + 1);
      const float bottom = static_cast<float>(isSelected ? display.top - 1 : display.top - 2);
      Box tab{static_cast<float>(item.left), top, static_cast<float>(item.right), bottom + 6};
      canvas.SetClip(RECT{item.left, static_cast<LONG>(top), item.right,
                          static_cast<LONG>(bottom) + (isSelected ? 1 : 0)});
      std::uint32_t from = look.tabFrom;
      std::uint32_t to = look.tabTo;
      if (isSelected) {
        from = to = look.panelColor;
      } else if (state.hotTab == i) {
        from = Mix(look.tabFrom, look.accentColor, 0.18f);
        to = Mix(look.tabTo, look.accentColor, 0.12f);
      }
      canvas.FillRounded(tab, 4 * scale, from, to);
      canvas.StrokeRounded(tab, 4 * scale, line, look.tabBorderColor);
      if (isSelected) {
        canvas.SetClip(RECT{item.left, static_cast<LONG>(top), item.right,
                            static_cast<LONG>(top) + static_cast<LONG>(3 * scale + 0.5f)});
        canvas.FillRounded(tab, 4 * scale, look.accentColor, look.accentColor);
      }
      canvas.ResetClip();

      wchar_t caption[128] = {};
      TCITEMW info{};
      info.mask = TCIF_TEXT;
      info.pszText = caption;
      info.cchTextMax = 127;
      SendMessageW(hwnd, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
      SetTextColor(canvas.Dc(),
                   ToColorRef(isSelected ? look.tabSelectedTextColor : look.tabTextColor));
      RECT textRect{item.left, static_cast<LONG>(top) + (isSelected ? 1 : 0), item.right,
                    static_cast<LONG>(bottom) + 1};
      GdiFlush();
      DrawTextW(canvas.Dc(), info.pszText, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      if (isSelected && focused) {
        // The focus mark: the selected caption underlined in the accent colour.
        RECT measure = textRect;
        DrawTextW(canvas.Dc(), info.pszText, -1, &measure, DT_CALCRECT | DT_SINGLELINE);
        const float width = static_cast<float>(measure.right - measure.left);
        const float centre = static_cast<float>(textRect.left + textRect.right) / 2;
        const float y = static_cast<float>(textRect.bottom) - 2 * line;
        canvas.Line(centre - width / 2, y, centre + width / 2, y, line, look.accentColor);
      }
    }
  }
  canvas.CopyTo(dc, 0, 0);
}

void PaintFieldBorder(HWND hwnd, const WindowState& state) {
  const Look& look = L();
  RECT window{};
  GetWindowRect(hwnd, &window);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  const int inset = static_cast<int>(origin.x - window.left);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  if (inset <= 0 || width <= 0 || height <= 0) return;
  const base::ScopedWindowDc dc(hwnd);
  if (dc.Get() == nullptr) return;
  const bool disabled = !IsWindowEnabled(hwnd);
  std::uint32_t border = look.fieldBorderColor;
  if (GetFocus() == hwnd && !disabled) {
    border = look.accentColor;
  } else if (state.hot && !disabled) {
    border = Mix(look.fieldBorderColor, look.accentColor, 0.5f);
  }
  const std::uint32_t field = look.fieldColor;
  const Surface behind = SurfaceBehind(hwnd);
  // The ring is four strips around the client area; only they are copied to the window.
  const RECT strips[4] = {{0, 0, width, inset},
                          {0, height - inset, width, height},
                          {0, inset, inset, height - inset},
                          {width - inset, inset, width, height - inset}};
  Canvas canvas(dc, width, height);
  if (canvas.Ok()) {
    POINT textureOrigin = OriginInTop(hwnd);
    textureOrigin.x -= inset;
    textureOrigin.y -= inset;
    const Box box{0, 0, static_cast<float>(width), static_cast<float>(height)};
    const float scale = ScaleOf(hwnd);
    const float line = LineWidth(scale);
    // A focused field's border is twice as wide: the focus mark.
    const float borderWidth = GetFocus() == hwnd && !disabled && inset > line ? 2 * line : line;
    for (const RECT& strip : strips) {
      canvas.SetClip(strip);
      PaintSurface(canvas, strip, behind, textureOrigin);
      canvas.FillRounded(box, 2 * scale, field, field);
      canvas.StrokeRounded(box, 2 * scale, borderWidth, border);
    }
    canvas.ResetClip();
    for (const RECT& strip : strips) {
      BitBlt(dc, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top,
             canvas.Dc(), strip.left, strip.top, SRCCOPY);
    }
  }
}

}  // namespace skin::engine
