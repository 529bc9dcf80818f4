// The colour-code preview popup. Like the balloon tips it polls focus and pointer on a short
// clock (a resting pointer sends no messages); text changes of the previewed control come at
// once through EN_CHANGE, which the top-level window receives. Each update reads only the start
// of the text and its length, so noticing a change and redrawing cost the same for a text of
// megabytes as for a short one.
//
// The popup is a layered window drawn in one piece per update into a bitmap (so it never
// flickers): the chat line is drawn over a key colour, which then becomes the chat's
// translucent black while everything drawn stays opaque. Glyphs are drawn without
// anti-aliasing, as the game's pixel font is, so every glyph pixel has exactly its code's colour.
#include "ui/colour_preview_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/chat_layout.h"
#include "ui/colour_codes.h"
#include "ui/fonts_win.h"
#include "ui/frame_win.h"
#include "ui/popup_placement.h"

namespace ui {
namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 30;
constexpr UINT_PTR kShuffleTimer = 2;  // redraws obfuscated text with fresh glyphs
constexpr UINT kShuffleMs = 80;
constexpr UINT_PTR kTopSubclassId = 0x50524556;

constexpr int kFontHeight = 16;
constexpr int kGap = 3;  // between the previewed control's row and the popup

// The background before it turns translucent: no chat colour or shadow is this colour.
constexpr COLORREF kKey = RGB(0x01, 0x02, 0x03);
constexpr BYTE kBackgroundAlpha = 0x90;  // the chat's black at a little over half strength
constexpr COLORREF kPrintBackground = RGB(0, 0, 0);
constexpr COLORREF kPlaceholderFill = RGB(0x22, 0x34, 0x5A);
constexpr COLORREF kPlaceholderFrame = RGB(0x6E, 0x9A, 0xE6);
constexpr COLORREF kFlagColour = RGB(0xFF, 0x40, 0x40);
constexpr COLORREF kProblemBackground = RGB(0x2E, 0x24, 0x12);
constexpr COLORREF kProblemText = RGB(0xFF, 0xD2, 0x64);
constexpr COLORREF kInfoText = RGB(0x9C, 0xD8, 0xFF);
// What a drawn colour that happens to be the key becomes, so it stays opaque.
constexpr COLORREF kNearKey = RGB(0x01, 0x02, 0x04);

COLORREF FromRgb(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The bitmap the popup is drawn into, kept while the popup's size stays, and what the system
// was last given, so that an update hands over only the pixels that changed.
class Backing {
 public:
  // A bitmap of size selected into a memory DC; false when it could not be made.
  bool Prepare(SIZE size) {
    if (surface_ != nullptr && size.cx == size_.cx && size.cy == size_.cy) return true;
    Release();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    auto surface = std::make_unique<Surface>(
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!surface->bitmap || surface->dc.Get() == nullptr) return false;
    surface_ = std::move(surface);
    pixels_ = static_cast<std::uint32_t*>(bits);
    size_ = size;
    return true;
  }

  HDC Dc() const { return surface_ != nullptr ? surface_->dc.Get() : nullptr; }
  SIZE Size() const { return size_; }
  std::uint32_t* Pixels() const { return pixels_; }
  size_t Count() const { return static_cast<size_t>(size_.cx) * static_cast<size_t>(size_.cy); }

  // The smallest rectangle holding every pixel that differs from what was shown at position;
  // the whole bitmap when the size or the place changed. Empty when nothing changed.
  RECT Changed(POINT position) const {
    const RECT whole{0, 0, size_.cx, size_.cy};
    if (shown_.size() != Count() || position.x != position_.x || position.y != position_.y) {
      return whole;
    }
    RECT changed{size_.cx, size_.cy, 0, 0};
    for (int y = 0; y < size_.cy; ++y) {
      const size_t row = static_cast<size_t>(y) * static_cast<size_t>(size_.cx);
      for (int x = 0; x < size_.cx; ++x) {
        if (pixels_[row + static_cast<size_t>(x)] == shown_[row + static_cast<size_t>(x)]) continue;
        changed.left = std::min<LONG>(changed.left, x);
        changed.right = std::max<LONG>(changed.right, x + 1);
        changed.top = std::min<LONG>(changed.top, y);
        changed.bottom = std::max<LONG>(changed.bottom, y + 1);
      }
    }
    return changed.left < changed.right ? changed : RECT{};
  }

  void Shown(POINT position) {
    shown_.assign(pixels_, pixels_ + Count());
    position_ = position;
  }

  void Forget() { shown_.clear(); }
  // Whether the bitmap still holds what the system was last given.
  bool HoldsShown() const { return !shown_.empty() && shown_.size() == Count(); }
  const std::vector<std::uint32_t>& ShownPixels() const { return shown_; }

 private:
  // The bitmap selected into its DC. Members go in reverse order: the selection is undone
  // before the DC is deleted, and the bitmap, no longer selected anywhere, goes last.
  struct Surface {
    explicit Surface(HBITMAP made) : bitmap(made), dc(nullptr), selection(dc, bitmap) {}
    base::ScopedBitmap bitmap;
    base::ScopedMemoryDc dc;
    base::ScopedSelect selection;
  };

  void Release() {
    surface_.reset();
    pixels_ = nullptr;
    size_ = {};
    shown_.clear();
  }

  std::unique_ptr<Surface> surface_;
  std::uint32_t* pixels_ = nullptr;
  SIZE size_{};
  std::vector<std::uint32_t> shown_;
  POINT position_{};
};

struct PreviewState {
  HWND top = nullptr;
  HWND popup = nullptr;
  std::vector<HWND> inputs;
  std::vector<HWND> outputs;
  PreviewCheck check;
  base::ScopedFont fonts[4];  // regular, bold, italic, bold italic
  HWND target = nullptr;
  std::wstring text;       // the start of the target's text that was read
  std::size_t length = 0;  // of the whole text, in UTF-16 units
  RECT targetRect{};
  HWND under = nullptr;  // watched control under the pointer
  DWORD underSince = 0;  // when the pointer came to rest there
  POINT pointer{};
  // The screen rectangle of the row of rowOf, found when rowOf was at rowOfRect.
  HWND rowOf = nullptr;
  RECT rowOfRect{};
  RECT row{};
  // Layout of the shown text.
  std::vector<ChatPiece> pieces;
  std::vector<ChatNoteLine> problems;
  int chatHeight = 0;
  SIZE size{};
  Backing backing;
  // What the backing bitmap holds, so that typing redraws only the lines from the first change.
  std::vector<ChatPiece> drawnPieces;
  std::vector<ChatNoteLine> drawnProblems;
  int drawnChatHeight = 0;
  bool obfuscated = false;
  unsigned random = 0x2545F491;

  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM timer);
  LRESULT OnPrintClient(HDC dc);
  LRESULT OnNcDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HFONT FontOf(const ChatStyle& style) const {
    return fonts[(style.bold ? 1 : 0) + (style.italic ? 2 : 0)];
  }
  unsigned Next() {
    random = random * 1664525u + 1013904223u;
    return random >> 8;
  }
};

using PreviewWindow = base::WindowState<PreviewState>;

bool Contains(const std::vector<HWND>& list, HWND hwnd) {
  return hwnd != nullptr && std::find(list.begin(), list.end(), hwnd) != list.end();
}

// ---- Layout ------------------------------------------------------------------------------------

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W APIs take UTF-16");

const wchar_t* Wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

std::u16string Utf16FromGbk(std::string_view gbk) {
  const std::wstring wide = base::WideFromGbk(gbk);
  return {wide.begin(), wide.end()};
}

// The chat layout measured in the popup's fonts.
class FontMeasure final : public ChatMeasure {
 public:
  FontMeasure(const PreviewState& state, HDC dc)
      : state_(state), dc_(dc), font_(dc, state.fonts[0].Get()) {}

  void CharacterEnds(std::u16string_view text, const ChatStyle& style,
                     std::span<int> ends) override {
    font_.Select(state_.FontOf(style));
    SIZE size{};
    GetTextExtentExPointW(dc_, Wide(text), static_cast<int>(text.size()), 0, nullptr, ends.data(),
                          &size);
  }

  int NoteWidth(std::u16string_view text) override {
    font_.Select(widgets::DefaultFont());
    SIZE size{};
    GetTextExtentPoint32W(dc_, Wide(text), static_cast<int>(text.size()), &size);
    return size.cx;
  }

 private:
  const PreviewState& state_;
  HDC dc_;
  base::ScopedSelect font_;
};

// Lays the chat and the notes out in the popup's fonts, measured on dc.
void Layout(PreviewState& state, HDC dc, const ChatLine& chat,
            const std::vector<PreviewNote>& notes) {
  FontMeasure measure(state, dc);
  ChatLayout layout = LayOutChat(chat, notes, measure, &Utf16FromGbk);
  state.pieces = std::move(layout.pieces);
  state.problems = std::move(layout.notes);
  state.chatHeight = layout.chatHeight;
  state.size = {layout.width, layout.height};
  state.obfuscated = layout.obfuscated;
}

// ---- Drawing -----------------------------------------------------------------------------------

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  SetBkColor(dc, colour);
  const RECT box{left, top, right, bottom};
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

// The piece's text, or for obfuscated text a fresh glyph of the same kind per character.
std::u16string ShownText(PreviewState& state, const ChatPiece& piece) {
  if (!piece.style.obfuscated) return piece.text;
  static constexpr char16_t kLatin[] =
      u"ABCDEFGHJKLMNOPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz0123456789";
  std::u16string shown = piece.text;
  for (char16_t& c : shown) {
    if (c == u' ') continue;
    c = c >= 0x2E80 ? static_cast<char16_t>(0x4E00 + state.Next() % 0x51A0)
                    : kLatin[state.Next() % (std::size(kLatin) - 1)];
  }
  return shown;
}

void DrawGlyphs(HDC dc, const ChatPiece& piece, const std::u16string& text, int x, int y) {
  if (piece.starts.empty()) {
    ExtTextOutW(dc, x, y, 0, nullptr, Wide(text), static_cast<UINT>(text.size()), nullptr);
    return;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    ExtTextOutW(dc, x + piece.starts[i], y, 0, nullptr, Wide(text) + i, 1, nullptr);
  }
}

void DrawPiece(PreviewState& state, HDC dc, base::ScopedSelect& font, const ChatPiece& piece) {
  const int x = kChatPadding + piece.x;
  const int y = kChatPadding + piece.line * kChatLineHeight + (kChatLineHeight - kFontHeight) / 2;
  // Any colour of a hex code may be drawn, the key colour too: that one is moved a step.
  const auto ink = [](std::uint32_t rgb) {
    const COLORREF colour = FromRgb(rgb);
    return colour == kKey ? kNearKey : colour;
  };
  const COLORREF colour = ink(StyleColour(piece.style));
  const COLORREF shadow = ink(StyleShadowColour(piece.style));
  if (piece.kind == RunKind::kPlaceholder) {
    FillBox(dc, x - 1, y - 2, x + piece.width + 2, y + kFontHeight + 2, kPlaceholderFrame);
    FillBox(dc, x, y - 1, x + piece.width + 1, y + kFontHeight + 1, kPlaceholderFill);
  }
  font.Select(state.FontOf(piece.style));
  const std::u16string text = ShownText(state, piece);
  // The game's shadow: the same glyphs one pixel down and right, in a quarter of the colour.
  for (const auto& [offset, ink] : {std::pair{1, shadow}, std::pair{0, colour}}) {
    SetTextColor(dc, ink);
    DrawGlyphs(dc, piece, text, x + offset, y + offset);
    if (piece.style.underline) {
      FillBox(dc, x + offset, y + kFontHeight + offset, x + piece.width + offset,
              y + kFontHeight + 1 + offset, ink);
    }
    if (piece.style.strikethrough) {
      FillBox(dc, x + offset, y + kFontHeight / 2 + offset, x + piece.width + offset,
              y + kFontHeight / 2 + 1 + offset, ink);
    }
  }
  if (piece.kind == RunKind::kFlagged) {
    // A red zigzag under what the game will show as written.
    for (int i = 0; i < piece.width; ++i) {
      const int wave = (i / 2) % 2;
      FillBox(dc, x + i, y + kFontHeight + 1 + wave, x + i + 1, y + kFontHeight + 2 + wave,
              kFlagColour);
    }
  }
}

// What an update draws again: the chat lines from fromLine down (none when past the last), and
// the notes under them.
struct Redraw {
  int fromLine = 0;
  bool notes = true;
};

// The top of a chat line in the popup; line 0 starts at the popup's edge.
int LineTop(int line) {
  return line == 0 ? 0 : kChatPadding + line * kChatLineHeight;
}

// A glyph's shadow, a frame or a zigzag may reach a pixel or two into the next line, so the line
// above fromLine is drawn again too, clipped to what is redrawn.
void Render(PreviewState& state, HDC dc, COLORREF background, Redraw redraw = {}) {
  const int top = std::min(LineTop(redraw.fromLine), state.chatHeight);
  base::ScopedSelect font(dc, state.fonts[0].Get());
  if (top < state.chatHeight) {
    FillBox(dc, 0, top, state.size.cx, state.chatHeight, background);
    SetBkMode(dc, TRANSPARENT);
    const bool clipped = top > 0;  // a whole drawing may go to a DC the caller clipped
    if (clipped) IntersectClipRect(dc, 0, top, state.size.cx, state.chatHeight);
    for (const ChatPiece& piece : state.pieces) {
      if (piece.line + 1 >= redraw.fromLine) DrawPiece(state, dc, font, piece);
    }
    if (clipped) SelectClipRgn(dc, nullptr);
  }
  if (!redraw.notes || state.problems.empty()) return;
  FillBox(dc, 0, state.chatHeight, state.size.cx, state.size.cy, kProblemBackground);
  SetBkMode(dc, TRANSPARENT);
  font.Select(widgets::DefaultFont());
  int y = state.chatHeight + kChatPadding;
  for (const ChatNoteLine& problem : state.problems) {
    RECT line{kChatPadding, y, state.size.cx - kChatPadding, y + kNoteLineHeight};
    SetTextColor(dc, problem.problem ? kProblemText : kInfoText);
    DrawTextW(dc, Wide(problem.text), static_cast<int>(problem.text.size()), &line,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    y += kNoteLineHeight;
  }
}

// From the first chat line that differs from what the backing holds, and the notes if they
// changed; everything when the backing holds nothing or the chat's height changed. Obfuscated
// text changes every time.
Redraw ChangedSince(const PreviewState& state) {
  if (!state.backing.HoldsShown() || state.chatHeight != state.drawnChatHeight) return {};
  const std::vector<ChatPiece>& now = state.pieces;
  const std::vector<ChatPiece>& drawn = state.drawnPieces;
  size_t same = 0;
  while (same < now.size() && same < drawn.size() && now[same] == drawn[same] &&
         !now[same].style.obfuscated) {
    ++same;
  }
  int line = kChatMaxLines + 1;
  if (same < now.size()) line = std::min(line, now[same].line);
  if (same < drawn.size()) line = std::min(line, drawn[same].line);
  return {line, state.problems != state.drawnProblems};
}

// Draws the popup and hands it to the system at position, the key colour turned into the
// translucent background. False when the bitmap could not be made.
bool Present(PreviewState& state, POINT position) {
  Backing& backing = state.backing;
  if (!backing.Prepare(state.size)) return false;
  const Redraw redraw = ChangedSince(state);
  const int fromY = std::min(LineTop(redraw.fromLine), state.chatHeight);
  const int toY = redraw.notes ? state.size.cy : state.chatHeight;
  Render(state, backing.Dc(), kKey, redraw);
  GdiFlush();
  state.drawnPieces = state.pieces;
  state.drawnProblems = state.problems;
  state.drawnChatHeight = state.chatHeight;
  const std::uint32_t key = GetRValue(kKey) << 16 | GetGValue(kKey) << 8 | GetBValue(kKey);
  std::uint32_t* pixels = backing.Pixels();
  const size_t width = static_cast<size_t>(backing.Size().cx);
  for (size_t i = static_cast<size_t>(fromY) * width, end = static_cast<size_t>(toY) * width;
       i < end; ++i) {
    // Premultiplied: the translucent black is all zeros but its alpha.
    pixels[i] = (pixels[i] & 0xFFFFFF) == key ? std::uint32_t{kBackgroundAlpha} << 24
                                              : pixels[i] | 0xFF000000u;
  }
  RECT changed = backing.Changed(position);
  if (IsRectEmpty(&changed)) return true;
  POINT source{0, 0};
  SIZE size = backing.Size();
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UPDATELAYEREDWINDOWINFO update{};
  update.cbSize = sizeof update;
  update.pptDst = &position;
  update.psize = &size;
  update.hdcSrc = backing.Dc();
  update.pptSrc = &source;
  update.pblend = &blend;
  update.dwFlags = ULW_ALPHA;
  update.prcDirty = &changed;
  if (!UpdateLayeredWindowIndirect(state.popup, &update)) {
    backing.Forget();
    return false;
  }
  backing.Shown(position);
  return true;
}

// ---- Placement and following -------------------------------------------------------------------

// Above the target's row where there is room on its screen, else below it: never over the row,
// whose gate, inputs and button the user works with. The row's place is asked again only when
// the target or its place changed: typing costs no more window calls.
POINT PlaceBeside(PreviewState& state, const RECT& control, SIZE size) {
  if (state.target != state.rowOf || !EqualRect(&control, &state.rowOfRect)) {
    state.row = win::RowOnScreen(state.target);
    state.rowOf = state.target;
    state.rowOfRect = control;
  }
  const RECT& row = state.row;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromRect(&row, MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  }
  const PopupPlace place =
      PlaceBesideRow({row.left, row.top, row.right - row.left, row.bottom - row.top}, size.cx,
                     size.cy, control.left, Side::kAbove, kGap,
                     {work.left, work.top, work.right - work.left, work.bottom - work.top});
  return {place.left, place.top};
}

// An owned popup belongs just above its owner. Windows keeps it there by itself; Wine may not
// when the owner is clicked while the popup shows, so the order is put right again if needed.
void KeepAboveOwner(const PreviewState& state) {
  for (HWND below = GetWindow(state.popup, GW_HWNDNEXT); below != nullptr;
       below = GetWindow(below, GW_HWNDNEXT)) {
    if (below == state.top) return;
  }
  HWND above = GetWindow(state.top, GW_HWNDPREV);
  // Under a topmost window it would turn topmost itself: then the top of the ordinary windows.
  if (above == nullptr || (GetWindowLongW(above, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
    above = HWND_TOP;
  }
  SetWindowPos(state.popup, above, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Hide(PreviewState& state) {
  KillTimer(state.popup, kShuffleTimer);
  state.backing.Forget();
  if (IsWindowVisible(state.popup)) ShowWindow(state.popup, SW_HIDE);
}

// Shows the target's text; with force false only when the text or the control's place changed.
void Refresh(PreviewState& state, bool force) {
  if (state.target == nullptr) {
    Hide(state);
    return;
  }
  base::WindowTextStart start = base::ReadWindowTextStart(state.target, kPreviewReadUnits);
  RECT rect{};
  GetWindowRect(state.target, &rect);
  if (!force && start.length == state.length && start.text == state.text &&
      EqualRect(&rect, &state.targetRect)) {
    return;
  }
  state.text = std::move(start.text);
  state.length = start.length;
  state.targetRect = rect;
  if (state.text.empty()) {
    Hide(state);
    return;
  }
  const std::string gbk = base::GbkFromWide(state.text);
  const std::size_t unread = state.length - state.text.size();
  std::vector<PreviewNote> notes;
  if (unread > 0) {
    notes.push_back({"文字共 " + std::to_string(state.length) + " 字，预览只显示开头", false});
  }
  if (state.check) {
    std::vector<PreviewNote> found = state.check({state.target, gbk, unread});
    notes.insert(notes.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
  }
  const ChatLine chat = ReadChatCodes(gbk);
  Layout(state, base::ScopedGetDc(state.popup), chat, notes);
  // Automation reads what the players will read, without the codes.
  std::string plain;
  for (const ChatRun& run : chat.runs) plain += run.text;
  SetWindowTextW(state.popup, base::WideFromGbk(plain).c_str());
  if (!Present(state, PlaceBeside(state, rect, state.size))) return;
  if (!IsWindowVisible(state.popup)) ShowWindow(state.popup, SW_SHOWNOACTIVATE);
  if (state.obfuscated) {
    SetTimer(state.popup, kShuffleTimer, kShuffleMs, nullptr);
  } else {
    KillTimer(state.popup, kShuffleTimer);
  }
}

// The watched control under the pointer, or nullptr.
HWND WatchedAt(const PreviewState& state, POINT pointer) {
  HWND window = WindowFromPoint(pointer);
  if (Contains(state.inputs, window) || Contains(state.outputs, window)) return window;
  return nullptr;
}

void Poll(PreviewState& state) {
  HWND wanted = nullptr;
  POINT pointer{};
  // Nothing shows over a minimized, hidden or disabled (modal window open) top-level window.
  if (IsWindowVisible(state.top) && IsWindowEnabled(state.top) && !IsIconic(state.top) &&
      GetCursorPos(&pointer)) {
    const DWORD now = GetTickCount();
    HWND under = WatchedAt(state, pointer);
    const bool moved = pointer.x != state.pointer.x || pointer.y != state.pointer.y;
    state.pointer = pointer;
    if (under != state.under) {
      state.under = under;
      state.underSince = now;
    } else if (moved && state.target != under) {
      state.underSince = now;  // a pointer passing over a control is not resting on it
    }
    HWND focus = GetFocus();
    if (GetActiveWindow() == state.top && Contains(state.inputs, focus) && IsWindowVisible(focus)) {
      wanted = focus;  // what is being typed wins over what the pointer rests on
    } else if (under != nullptr && IsWindowVisible(under) &&
               (state.target == under || now - state.underSince >= kPreviewRestMs)) {
      wanted = under;
    }
  }
  if (wanted != state.target) {
    state.target = wanted;
    Refresh(state, true);
  } else {
    Refresh(state, false);
  }
  if (IsWindowVisible(state.popup)) KeepAboveOwner(state);
}

// Text changes of the previewed control reach the top-level window as EN_CHANGE.
LRESULT OnTopCommand(PreviewState& state, HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefSubclassProc(hwnd, WM_COMMAND, wParam, lParam);
  if (HIWORD(wParam) == EN_CHANGE && state.target != nullptr &&
      reinterpret_cast<HWND>(lParam) == state.target) {
    Refresh(state, false);
  }
  return result;
}

LRESULT CALLBACK TopSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
  switch (message) {
    case WM_COMMAND:
      return OnTopCommand(*reinterpret_cast<PreviewState*>(data), hwnd, wParam, lParam);
    default:
      return DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

LRESULT PreviewState::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the control under the popup keeps the pointer
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_TIMER:
      return OnTimer(wParam);
    case WM_PRINTCLIENT:
      return OnPrintClient(reinterpret_cast<HDC>(wParam));
    case WM_NCDESTROY:
      return OnNcDestroy(hwnd, message, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT PreviewState::OnTimer(WPARAM timer) {
  if (timer == kPollTimer) Poll(*this);
  if (timer == kShuffleTimer && IsWindowVisible(popup)) {
    RECT window{};
    GetWindowRect(popup, &window);
    Present(*this, POINT{window.left, window.top});
  }
  return 0;
}

LRESULT PreviewState::OnPrintClient(HDC dc) {
  Render(*this, dc, kPrintBackground);
  return 0;
}

// The state itself goes after this, with the window.
LRESULT PreviewState::OnNcDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  KillTimer(hwnd, kPollTimer);
  KillTimer(hwnd, kShuffleTimer);
  RemoveWindowSubclass(top, TopSubclassProc, kTopSubclassId);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return PreviewWindow::Procedure(hwnd, message, wParam, lParam);
}

HFONT ChatFont(bool bold, bool italic) {
  LOGFONTW font{};
  font.lfHeight = -kFontHeight;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = italic ? TRUE : FALSE;
  font.lfCharSet = GB2312_CHARSET;
  font.lfQuality = NONANTIALIASED_QUALITY;
  const std::wstring face = widgets::ResolveFace(L"宋体");
  lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

}  // namespace

bool RegisterColourPreviewClass() {
  return base::RegisterWindowClass({.name = kColourPreviewClass, .procedure = PopupProc});
}

HWND AttachColourPreview(HWND top, std::span<const HWND> messageInputs,
                         std::span<const HWND> outputs, PreviewCheck check) {
  auto state = std::make_unique<PreviewState>();
  state->top = top;
  state->check = std::move(check);
  state->inputs.assign(messageInputs.begin(), messageInputs.end());
  state->outputs.assign(outputs.begin(), outputs.end());
  for (int i = 0; i < 4; ++i) {
    state->fonts[i].Reset(ChatFont((i & 1) != 0, (i & 2) != 0));
    if (!state->fonts[i]) return nullptr;
  }
  PreviewState* raw = state.release();  // the popup owns it from here on
  HWND popup = PreviewWindow::Create(
      raw, WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
      kColourPreviewClass, L"", WS_POPUP, 0, 0, 0, 0, top, nullptr, base::ProgramInstance());
  if (popup == nullptr) return nullptr;
  raw->popup = popup;
  SetWindowSubclass(top, TopSubclassProc, kTopSubclassId, reinterpret_cast<DWORD_PTR>(raw));
  SetTimer(popup, kPollTimer, kPollMs, nullptr);
  return popup;
}

HWND PreviewedControl(HWND popup) {
  PreviewState* state = PreviewWindow::Of(popup);
  return state != nullptr && IsWindowVisible(popup) ? state->target : nullptr;
}

std::vector<std::wstring> PreviewNoteLines(HWND popup) {
  std::vector<std::wstring> lines;
  PreviewState* state = PreviewWindow::Of(popup);
  if (state == nullptr || !IsWindowVisible(popup)) return lines;
  for (const ChatNoteLine& line : state->problems)
    lines.emplace_back(Wide(line.text), line.text.size());
  return lines;
}

std::vector<std::uint32_t> PreviewShownPixels(HWND popup) {
  PreviewState* state = PreviewWindow::Of(popup);
  if (state == nullptr || !IsWindowVisible(popup)) return {};
  return state->backing.ShownPixels();
}

}  // namespace ui
