// The skin engine's shared state and the painting of each window kind. One UI thread: the
// engine is attached on it and its hook sees only that thread's windows.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/scoped_win.h"
#include "skin/engine/skin_format.h"

namespace skin::engine {

// What the engine does for a window, decided from its class and style when it is subclassed.
enum class Kind : std::uint8_t {
  kOther,  // only answers its children's colour questions (and app parts, by property)
  kFrame,  // a top-level window with a title bar (windows and dialogs)
  kPushButton,
  kCheck,        // radio boxes and check boxes
  kGroupButton,  // the system's group box
  kEdit,
  kCombo,  // a drop-down list
  kTab,
  kStatic,
  kRichEdit,
};

// Per-window bookkeeping, kept in the engine's window table for the window's life.
struct WindowState {
  WNDPROC original = nullptr;
  Kind kind = Kind::kOther;
  bool hot = false;              // the pointer is over the window
  bool childrenWaiting = false;  // hidden at the attach: its children are taken when it shows
  unsigned styledFor = 0;        // the attach whose colours a rich edit box has been given
  bool partKnown = false;        // part holds the window's skin part (base/skin_parts.h)
  int part = 0;
  bool inactive = false;      // a frame whose title bar shows the inactive look
  bool framePainted = false;  // a frame whose border has been painted since it was taken
  int hotTab = -1;
  int hotCaptionButton = 0;  // HTCLOSE, HTMINBUTTON, HTMAXBUTTON or 0
  int hotMenuItem = -1;      // the menu bar's item under the pointer, or -1
  int pressedCaptionButton = 0;
  bool pressedInside = false;
};

// The surfaces a control can sit on.
enum class SurfaceKind : std::uint8_t { kWindow, kPanel, kCard };

struct Surface {
  SurfaceKind kind;
  std::uint32_t base;
  std::uint32_t texture;
  bool textured;
};

// Title-bar or menu fonts, one per DPI met so far; when every slot is taken, the last is reused.
struct FontCache {
  struct Entry {
    int dpi = 0;
    base::ScopedFont font;
  };
  static constexpr int kSlots = 8;
  Entry entries[kSlots];
  int count = 0;
};

// The GDI objects the engine keeps: the brushes of the skin attached last and the fonts of each
// DPI met. The engine's entry point makes them when it is loaded and deletes them when it is
// unloaded, as the engine has no run-time that would construct and destroy a static object.
struct EngineObjects {
  base::ScopedBrush windowBrush;
  base::ScopedBrush panelBrush;
  base::ScopedBrush cardBrush;
  base::ScopedBrush fieldBrush;
  base::ScopedBrush menuBrush;  // behind the items of the menus the engine draws
  FontCache captionFonts;
  FontCache menuFonts;
};

struct EngineState {
  Look look;
  bool attached = false;
  HHOOK hook = nullptr;
  UINT inkMessage = 0;
  EngineObjects* objects = nullptr;  // while the engine is loaded
  HWND hotWindow = nullptr;          // the control drawn hot, whose pointer watch is running
  UINT_PTR hotTimer = 0;
  HMODULE dwm = nullptr;    // the desktop composition library, where there is one
  unsigned generation = 0;  // counts the attaches
};

extern EngineState g_engine;

WindowState* StateOf(HWND hwnd);
// The DPI the window is drawn at, and lengths given at 96 DPI in that DPI's pixels.
int DpiOf(HWND hwnd);
float ScaleOf(HWND hwnd);
// The title-bar and menu fonts at a DPI, in a face that has the Chinese glyphs the titles and
// menus need.
HFONT CaptionFontFor(int dpi);
HFONT MenuFontFor(int dpi);
int PartOf(HWND hwnd);

// The surface a window's client area shows, and its origin in the top-level client area (where
// the texture is anchored).
Surface SurfaceOf(HWND hwnd);
POINT OriginInTop(HWND hwnd);
HBRUSH BrushFor(const Surface& surface);
// Paints surface into rect of canvas whose pixel (0, 0) lies at origin in top-level coordinates.
class Canvas;
void PaintSurface(Canvas& canvas, RECT rect, const Surface& surface, POINT origin);
// A text colour that reads well on surface; black stands for the skin's own text colour.
std::uint32_t LegibleInk(std::uint32_t wanted, const Surface& surface);

// Painting of each kind into dc (the client area unless said otherwise), only as far as dc's
// clip reaches.
// The surface of hwnd's client area.
void FillSurface(HWND hwnd, HDC dc);
void PaintPanel(HWND hwnd, HDC dc);
void PaintGroup(HWND hwnd, HDC dc);
void PaintPushButton(HWND hwnd, const WindowState& state, HDC dc);
void PaintCheck(HWND hwnd, const WindowState& state, HDC dc);
void PaintCombo(HWND hwnd, const WindowState& state, HDC dc);
void PaintTab(HWND hwnd, const WindowState& state, HDC dc);
void PaintFieldBorder(HWND hwnd, const WindowState& state);
void PaintFrameBorder(HWND hwnd, const WindowState& state);
// The caption buttons of a frame, in window coordinates; empty rectangles for absent buttons.
struct CaptionButtons {
  RECT close;
  RECT maximize;
  RECT minimize;
  RECT icon;
};
CaptionButtons CaptionButtonsOf(HWND hwnd);

// Menu bars. The engine draws a frame's menu bar in its non-client paint, and the items of the
// bar and of its menus as their owner: it makes them owner-drawn when it takes the frame.
// The bar of hwnd in window coordinates; empty when it has none.
RECT MenuBarRectOf(HWND hwnd);
// Paints hwnd's menu bar into canvas, whose pixel (0, 0) is the window's top-left corner.
void PaintMenuBar(HWND hwnd, const WindowState& state, Canvas& canvas);
// Makes the items of hwnd's menu bar and of its menus owner-drawn, the menus' background the
// skin's. Safe to call again (after an attach, for the new skin's background).
void TakeMenus(HWND hwnd);
// A frame's messages about its menus: measuring and drawing the items, their access keys, and
// the pointer over the bar. True when handled, with result set.
bool HandleMenus(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result);

}  // namespace skin::engine
