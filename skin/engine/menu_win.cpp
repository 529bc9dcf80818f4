// Menu bars and their menus in the skin's look. The engine paints a frame's menu bar with the
// rest of its frame; the system still tracks the menus (mouse, Alt, F10, access keys) and sends
// their commands, and asks the engine, as the owner of owner-drawn items, to measure and draw
// each item. An item the engine draws carries a mark in its item data, with its place: the menu
// (0 for the bar, n for the bar's n-th menu) and its position there.
#include "skin/engine/canvas_win.h"
#include "skin/engine/engine_win.h"

namespace skin::engine {
namespace {

constexpr ULONG_PTR kItemMark = 0x4D4E0000;
constexpr ULONG_PTR kMarkMask = 0xFFFF0000;
constexpr int kMaxItems = 256;

ULONG_PTR ItemData(int menu, int position) {
  return kItemMark | static_cast<ULONG_PTR>(menu) << 8 | static_cast<ULONG_PTR>(position);
}

bool IsOurs(ULONG_PTR data) {
  return (data & kMarkMask) == kItemMark;
}

int MenuOf(ULONG_PTR data) {
  return static_cast<int>((data >> 8) & 0xFF);
}

int PositionOf(ULONG_PTR data) {
  return static_cast<int>(data & 0xFF);
}

// The menu an item of ours sits in: the bar, or one of the bar's menus.
HMENU MenuHolding(HWND hwnd, ULONG_PTR data) {
  HMENU bar = GetMenu(hwnd);
  if (bar == nullptr || MenuOf(data) == 0) return bar;
  return GetSubMenu(bar, MenuOf(data) - 1);
}

// The item's text with its "&" access-key marks, in buffer; its length.
int ItemText(HMENU menu, int position, wchar_t* buffer, int capacity) {
  buffer[0] = 0;
  const int length =
      GetMenuStringW(menu, static_cast<UINT>(position), buffer, capacity, MF_BYPOSITION);
  return length > 0 ? length : 0;
}

// Makes the items of menu owner-drawn by the engine, marked with their place. True when an item
// changed.
bool TakeItems(HMENU menu, int place) {
  bool changed = false;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && i < kMaxItems; ++i) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item)) continue;
    if (item.fType & MFT_SEPARATOR) continue;
    if ((item.fType & MFT_OWNERDRAW) && item.dwItemData == ItemData(place, i)) continue;
    item.fType |= MFT_OWNERDRAW;
    item.dwItemData = ItemData(place, i);
    changed |= SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item) != FALSE;
  }
  return changed;
}

// The bar's index-th menu: its items, and the skin's background behind them.
void TakePopup(HMENU bar, int index) {
  HMENU popup = GetSubMenu(bar, index);
  if (popup == nullptr) return;
  TakeItems(popup, index + 1);
  MENUINFO background{};
  background.cbSize = sizeof background;
  background.fMask = MIM_BACKGROUND;
  background.hbrBack = g_engine.menuBrush;
  SetMenuInfo(popup, &background);
}

// What an item shows.
struct ItemFace {
  bool selected;  // the menus' highlight is on it (opened, or chosen with the keyboard)
  bool hot;       // the pointer rests on it
  bool disabled;
  bool checked;
  bool accessKeys;  // underline the access keys
};

float LineWidth(float scale) {
  return scale < 1.5f ? 1 : static_cast<float>(static_cast<int>(scale + 0.25f));
}

// The colours of the bar: the tab headers' gradient, which already reads as a strip of the
// frame.
std::uint32_t BarTop() {
  return g_engine.look.tabFrom;
}
std::uint32_t BarBottom() {
  return g_engine.look.tabTo;
}

// The menus' surface and ink.
std::uint32_t MenuSurface() {
  return g_engine.look.panelColor;
}

std::uint32_t Readable(std::uint32_t ink, std::uint32_t background, float enough) {
  if (Contrast(ink, background) >= enough) return ink;
  const std::uint32_t toward = Luminance(background) > 0.25f ? 0x000000 : 0xFFFFFF;
  for (int step = 1; step <= 10; ++step) {
    const std::uint32_t candidate = Mix(ink, toward, static_cast<float>(step) / 10);
    if (Contrast(candidate, background) >= enough) return candidate;
  }
  return toward;
}

// The highlight under a hot or selected item, in item (canvas) coordinates; its ink.
std::uint32_t PaintHighlight(Canvas& canvas, RECT item, const ItemFace& face, float scale,
                             std::uint32_t ink) {
  const Look& look = g_engine.look;
  if (face.disabled || (!face.selected && !face.hot)) return ink;
  const float inset = 2 * scale;
  const Box box{static_cast<float>(item.left) + inset, static_cast<float>(item.top) + inset,
                static_cast<float>(item.right) - inset, static_cast<float>(item.bottom) - inset};
  const float radius = look.buttonRadius * scale;
  const float line = LineWidth(scale);
  if (face.selected) {
    canvas.FillRounded(box, radius, look.buttonPressedFrom, look.buttonPressedTo);
    canvas.StrokeRounded(box, radius, line, look.accentColor);
  } else {
    canvas.FillRounded(box, radius, look.buttonHotFrom, look.buttonHotTo);
    canvas.StrokeRounded(box, radius, line, Mix(look.buttonBorderColor, look.accentColor, 0.6f));
  }
  return look.buttonTextColor;
}

// Where an item's text has its tab (before a shortcut), or length when it has none.
int TabIn(const wchar_t* text, int length) {
  for (int i = 0; i < length; ++i) {
    if (text[i] == L'\t') return i;
  }
  return length;
}

void DrawItemText(Canvas& canvas, const wchar_t* text, int length, RECT rect, UINT align,
                  std::uint32_t ink, HFONT font, bool accessKeys) {
  HGDIOBJ oldFont = SelectObject(canvas.Dc(), font);
  SetBkMode(canvas.Dc(), TRANSPARENT);
  SetTextColor(canvas.Dc(), ToColorRef(ink));
  GdiFlush();
  DrawTextW(canvas.Dc(), text, length, &rect,
            align | DT_VCENTER | DT_SINGLELINE | (accessKeys ? 0 : DT_HIDEPREFIX));
  SelectObject(canvas.Dc(), oldFont);
}

// One item of the bar at item, over the bar's gradient (bar: the bar in the same coordinates).
void PaintBarItem(Canvas& canvas, HWND hwnd, HMENU menu, int position, RECT item, RECT bar,
                  const ItemFace& face) {
  const Look& look = g_engine.look;
  const float scale = ScaleOf(hwnd);
  canvas.Gradient(bar, BarTop(), BarBottom(), false);
  const std::uint32_t under = Mix(BarTop(), BarBottom(), 0.5f);
  std::uint32_t ink = face.disabled ? Readable(look.disabledTextColor, under, 3.0f)
                                    : Readable(look.textColor, under, 4.5f);
  ink = PaintHighlight(canvas, item, face, scale, ink);
  wchar_t text[128];
  const int length = ItemText(menu, position, text, 128);
  DrawItemText(canvas, text, length, item, DT_CENTER, ink, MenuFontFor(DpiOf(hwnd)),
               face.accessKeys);
  if (face.checked) {
    const float line = LineWidth(scale);
    const float y = static_cast<float>(item.bottom) - 3 * scale;
    canvas.Line(static_cast<float>(item.left) + 6 * scale, y,
                static_cast<float>(item.right) - 6 * scale, y, line, look.accentColor);
  }
}

// One item of a menu at item, on the menus' surface: a check column, the text.
void PaintMenuItem(Canvas& canvas, HWND hwnd, HMENU menu, int position, RECT item,
                   const ItemFace& face) {
  const Look& look = g_engine.look;
  const float scale = ScaleOf(hwnd);
  const std::uint32_t surface = MenuSurface();
  canvas.Fill(item, surface);
  std::uint32_t ink = face.disabled ? Readable(look.disabledTextColor, surface, 3.0f)
                                    : Readable(look.textColor, surface, 4.5f);
  ink = PaintHighlight(canvas, item, face, scale, ink);
  const int column = static_cast<int>(22 * scale + 0.5f);
  if (face.checked) {
    // A tick, as the check boxes draw theirs.
    const float size = 12 * scale;
    const float left =
        static_cast<float>(item.left) + (static_cast<float>(column) - size) / 2 + 2 * scale;
    const float top = static_cast<float>(item.top + item.bottom) / 2 - size / 2;
    const std::uint32_t tick =
        face.selected || face.hot ? ink : Readable(look.accentColor, surface, 3.0f);
    canvas.Line(left + size * 0.15f, top + size * 0.52f, left + size * 0.4f, top + size * 0.78f,
                1.8f * scale, tick);
    canvas.Line(left + size * 0.4f, top + size * 0.78f, left + size * 0.88f, top + size * 0.22f,
                1.8f * scale, tick);
  }
  wchar_t text[128];
  const int length = ItemText(menu, position, text, 128);
  RECT textRect{item.left + column + static_cast<int>(4 * scale), item.top,
                item.right - static_cast<int>(8 * scale), item.bottom};
  // "Text\tShortcut": the shortcut stands at the right edge, as in every Windows menu.
  const int tab = TabIn(text, length);
  DrawItemText(canvas, text, tab, textRect, DT_LEFT, ink, MenuFontFor(DpiOf(hwnd)),
               face.accessKeys);
  if (tab < length) {
    DrawItemText(canvas, text + tab + 1, length - tab - 1, textRect, DT_RIGHT, ink,
                 MenuFontFor(DpiOf(hwnd)), false);
  }
}

ItemFace FaceOfState(UINT state) {
  return {(state & MF_HILITE) != 0, false, (state & (MF_GRAYED | MF_DISABLED)) != 0,
          (state & MF_CHECKED) != 0, true};
}

RECT ToWindow(HWND hwnd, RECT screen) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  OffsetRect(&screen, -window.left, -window.top);
  return screen;
}

// The bar's item under a point on the screen, or -1.
int BarItemAt(HWND hwnd, POINT screen) {
  HMENU bar = GetMenu(hwnd);
  const int count = bar != nullptr ? GetMenuItemCount(bar) : 0;
  for (int i = 0; i < count; ++i) {
    RECT item{};
    if (GetMenuItemRect(hwnd, bar, static_cast<UINT>(i), &item) && PtInRect(&item, screen)) {
      return i;
    }
  }
  return -1;
}

// Repaints the bar alone, at once (the pointer moved over it).
void RepaintBar(HWND hwnd, const WindowState& state) {
  const RECT bar = MenuBarRectOf(hwnd);
  if (IsRectEmpty(&bar)) return;
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  {
    RECT window{};
    GetWindowRect(hwnd, &window);
    Canvas canvas(dc, window.right - window.left, window.bottom - window.top);
    if (canvas.Ok()) {
      canvas.SetClip(bar);
      PaintMenuBar(hwnd, state, canvas);
      canvas.CopyAreaTo(dc, bar);
    }
  }
  ReleaseDC(hwnd, dc);
}

void SetHotItem(HWND hwnd, WindowState& state, int item) {
  if (state.hotMenuItem == item) return;
  state.hotMenuItem = item;
  RepaintBar(hwnd, state);
}

void OnMeasureItem(HWND hwnd, MEASUREITEMSTRUCT& measure) {
  HMENU menu = MenuHolding(hwnd, measure.itemData);
  const int position = PositionOf(measure.itemData);
  const float scale = ScaleOf(hwnd);
  wchar_t text[128];
  const int length = ItemText(menu, position, text, 128);
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, MenuFontFor(DpiOf(hwnd)));
  const int tab = TabIn(text, length);
  RECT extent{0, 0, 0, 0};
  DrawTextW(dc, text, tab, &extent, DT_CALCRECT | DT_SINGLELINE);
  if (tab < length) {
    RECT shortcut{0, 0, 0, 0};
    DrawTextW(dc, text + tab + 1, length - tab - 1, &shortcut, DT_CALCRECT | DT_SINGLELINE);
    extent.right += shortcut.right + static_cast<int>(24 * scale);
  }
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  if (MenuOf(measure.itemData) == 0) {
    // The system adds room on both sides of a bar's item and gives it the bar's height.
    measure.itemWidth = static_cast<UINT>(extent.right + static_cast<int>(6 * scale));
    measure.itemHeight = static_cast<UINT>(metrics.tmHeight);
  } else {
    measure.itemWidth =
        static_cast<UINT>(extent.right + static_cast<int>((22 + 4 + 8 + 8) * scale + 0.5f));
    const int height = metrics.tmHeight + static_cast<int>(8 * scale + 0.5f);
    const int least = static_cast<int>(22 * scale + 0.5f);
    measure.itemHeight = static_cast<UINT>(height > least ? height : least);
  }
}

void OnDrawItem(HWND hwnd, const WindowState& state, const DRAWITEMSTRUCT& draw) {
  auto* menu = reinterpret_cast<HMENU>(draw.hwndItem);
  const int position = PositionOf(draw.itemData);
  const RECT& item = draw.rcItem;
  Canvas canvas(draw.hDC, item.right - item.left, item.bottom - item.top);
  if (!canvas.Ok()) return;
  const RECT local{0, 0, item.right - item.left, item.bottom - item.top};
  ItemFace face{(draw.itemState & ODS_SELECTED) != 0, (draw.itemState & ODS_HOTLIGHT) != 0,
                (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0,
                (draw.itemState & ODS_CHECKED) != 0, (draw.itemState & ODS_NOACCEL) == 0};
  if (MenuOf(draw.itemData) == 0) {
    // The item is drawn in the window's DC: the bar's gradient is laid from the bar's edges.
    face.hot = face.hot || state.hotMenuItem == position;
    RECT bar = MenuBarRectOf(hwnd);
    OffsetRect(&bar, -item.left, -item.top);
    PaintBarItem(canvas, hwnd, menu, position, local, bar, face);
  } else {
    PaintMenuItem(canvas, hwnd, menu, position, local, face);
  }
  canvas.CopyTo(draw.hDC, item.left, item.top);
}

// An access key typed while a menu of ours is open that the system did not find itself (it does
// not look into owner-drawn items on Windows): the item whose "&" letter it is.
bool OnMenuChar(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  auto* menu = reinterpret_cast<HMENU>(lParam);
  const wchar_t key = static_cast<wchar_t>(LOWORD(wParam));
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && i < kMaxItems; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || !IsOurs(info.dwItemData)) {
      continue;
    }
    wchar_t text[128];
    const int length = ItemText(menu, i, text, 128);
    for (int at = 0; at + 1 < length; ++at) {
      if (text[at] != L'&') continue;
      if (text[at + 1] == L'&') {
        ++at;
        continue;
      }
      if (CharUpperW(reinterpret_cast<wchar_t*>(static_cast<ULONG_PTR>(text[at + 1]))) ==
          CharUpperW(reinterpret_cast<wchar_t*>(static_cast<ULONG_PTR>(key)))) {
        result = MAKELRESULT(i, MNC_EXECUTE);
        return true;
      }
      break;
    }
  }
  return false;
}

}  // namespace

RECT MenuBarRectOf(HWND hwnd) {
  RECT bar{0, 0, 0, 0};
  HMENU menu = GetMenu(hwnd);
  if (menu == nullptr || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return bar;
  MENUBARINFO info{};
  info.cbSize = sizeof info;
  if (!GetMenuBarInfo(hwnd, OBJID_MENU, 0, &info) || IsRectEmpty(&info.rcBar)) return bar;
  // The bar's rows end where the client area begins (Wine reports them a row lower).
  bar = ToWindow(hwnd, info.rcBar);
  POINT client{0, 0};
  ClientToScreen(hwnd, &client);
  RECT window{};
  GetWindowRect(hwnd, &window);
  const LONG height = bar.bottom - bar.top;
  bar.bottom = client.y - window.top;
  bar.top = bar.bottom - height;
  return bar;
}

void PaintMenuBar(HWND hwnd, const WindowState& state, Canvas& canvas) {
  const RECT bar = MenuBarRectOf(hwnd);
  HMENU menu = GetMenu(hwnd);
  if (IsRectEmpty(&bar) || menu == nullptr) return;
  canvas.Gradient(bar, BarTop(), BarBottom(), false);
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && i < kMaxItems; ++i) {
    RECT item{};
    if (!GetMenuItemRect(hwnd, menu, static_cast<UINT>(i), &item)) continue;
    item = ToWindow(hwnd, item);
    ItemFace face = FaceOfState(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION));
    face.hot = state.hotMenuItem == i;
    const RECT clip = canvas.Clip();
    RECT shown{};
    if (!IntersectRect(&shown, &item, &clip)) continue;
    canvas.SetClip(shown);
    PaintBarItem(canvas, hwnd, menu, i, item, bar, face);
    canvas.SetClip(clip);
  }
}

void TakeMenus(HWND hwnd) {
  HMENU bar = GetMenu(hwnd);
  if (bar == nullptr || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return;
  const bool changed = TakeItems(bar, 0);
  const int count = GetMenuItemCount(bar);
  for (int i = 0; i < count && i < 254; ++i) TakePopup(bar, i);
  // Items that became the engine's are measured again, in the font it draws them in.
  if (changed) DrawMenuBar(hwnd);
}

bool HandleMenus(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  switch (message) {
    case WM_MEASUREITEM: {
      auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (measure.CtlType != ODT_MENU || !IsOurs(measure.itemData)) return false;
      OnMeasureItem(hwnd, measure);
      result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (draw.CtlType != ODT_MENU || !IsOurs(draw.itemData)) return false;
      OnDrawItem(hwnd, state, draw);
      result = TRUE;
      return true;
    }
    case WM_MENUCHAR:
      return OnMenuChar(wParam, lParam, result);
    case WM_INITMENUPOPUP: {
      // Items the application adds as one of the bar's menus opens are drawn by the engine too.
      result = CallWindowProcW(state.original, hwnd, message, wParam, lParam);
      HMENU bar = GetMenu(hwnd);
      const int count = bar != nullptr ? GetMenuItemCount(bar) : 0;
      for (int i = 0; i < count && i < 254; ++i) {
        if (GetSubMenu(bar, i) == reinterpret_cast<HMENU>(wParam)) TakePopup(bar, i);
      }
      return true;
    }
    case WM_NCMOUSEMOVE:
      if (wParam != HTMENU) {
        if (state.hotMenuItem >= 0) SetHotItem(hwnd, state, -1);
        return false;
      }
      SetHotItem(hwnd, state,
                 BarItemAt(hwnd, POINT{static_cast<short>(LOWORD(lParam)),
                                       static_cast<short>(HIWORD(lParam))}));
      return false;
    case WM_NCMOUSELEAVE:
    case WM_ENTERMENULOOP:
      if (state.hotMenuItem >= 0) SetHotItem(hwnd, state, -1);
      return false;
    case WM_DPICHANGED:
      // Items are measured again in the new DPI's font.
      result = CallWindowProcW(state.original, hwnd, message, wParam, lParam);
      if (GetMenu(hwnd) != nullptr) DrawMenuBar(hwnd);
      return true;
    default:
      return false;
  }
}

}  // namespace skin::engine
