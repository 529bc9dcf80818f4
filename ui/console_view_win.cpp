// The console log's view. Lines are rows of one height; only the rows in sight are read from the
// log and drawn, into a bitmap first, so scrolling never flickers. The horizontal extent is taken
// from the longest line's bytes: in the chat's face a byte of GBK is half a full-width glyph.
#include "ui/console_view_win.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/clipboard_win.h"
#include "ui/colour_codes.h"
#include "ui/fonts_win.h"

namespace ui {
namespace {

using base::ScaleForDpi;

constexpr COLORREF kGround = RGB(0x1E, 0x1E, 0x1E);
constexpr COLORREF kSelectedGround = RGB(0x26, 0x4F, 0x78);
constexpr COLORREF kSelectedUnfocusedGround = RGB(0x40, 0x40, 0x40);
constexpr COLORREF kHeadingInk = RGB(0xC8, 0xC8, 0xC8);
constexpr COLORREF kNoteInk = RGB(0x9C, 0xD8, 0xFF);     // the preview's information lines
constexpr COLORREF kProblemInk = RGB(0xFF, 0xD2, 0x64);  // the preview's problem lines
constexpr COLORREF kFlagInk = RGB(0xFF, 0x40, 0x40);
constexpr COLORREF kRule = RGB(0x3A, 0x3A, 0x3A);  // between entries
// Lengths at 96 DPI.
constexpr int kFontHeight = 16;  // the preview's chat font
constexpr int kRowHeight = 20;
constexpr int kPadding = 6;
constexpr int kIndent = 18;  // of every line of an entry after its first
constexpr int kWheelRows = 3;
constexpr int kArrowStep = 32;

COLORREF FromRgb(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void Fill(HDC dc, const RECT& box, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

class ConsoleView {
 public:
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void Show(const ConsoleLog* log);
  void Changed(const ConsoleChange& change);
  std::string Selection() const;
  ConsoleViewport Viewport() const { return {top_, Rows()}; }

 private:
  // Message handlers; each returns what its message answers.
  LRESULT OnCreate(HWND hwnd);
  LRESULT OnSetFont();
  LRESULT OnPaint();
  LRESULT Paint(HDC target);
  LRESULT OnVScroll(int request);
  LRESULT OnHScroll(int request);
  LRESULT OnWheel(int delta);
  LRESULT OnButtonDown(LPARAM position, bool extend);
  LRESULT OnMouseMove(LPARAM position);
  LRESULT OnCaptureLost();
  bool OnKeyDown(WPARAM key);
  std::optional<std::size_t> CaretTarget(WPARAM key) const;

  void DrawLine(HDC dc, std::size_t index, int y, int width);
  int DrawRun(HDC dc, const ChatRun& run, int x, int y);

  std::size_t Count() const { return log_ != nullptr ? log_->LineCount() : 0; }
  std::size_t Rows() const;
  std::size_t LineAt(int y) const;
  void ScrollTo(std::size_t top, int left);
  void MoveCaret(std::size_t line, bool extend);
  void Copy() const;
  void MeasureLines(std::size_t from);
  LRESULT UpdateScrollBars();
  LRESULT Redraw() const {
    InvalidateRect(hwnd_, nullptr, FALSE);
    return 0;
  }

  HWND hwnd_ = nullptr;
  const ConsoleLog* log_ = nullptr;
  base::ScopedFont fonts_[4];  // regular, bold, italic, bold italic
  int rowHeight_ = kRowHeight;
  int byteWidth_ = 8;  // the width of half a full-width glyph
  std::size_t top_ = 0;
  int left_ = 0;
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  bool selected_ = false;
  bool dragging_ = false;
  std::size_t lines_ = 0;  // the log's line count as last seen
  std::size_t widestBytes_ = 0;
  int wheel_ = 0;
  unsigned random_ = 0x2545F491;
};

using Window = base::WindowState<ConsoleView>;

LRESULT ConsoleView::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_SETFONT:
      return OnSetFont();
    case WM_PAINT:
      return OnPaint();
    case WM_PRINTCLIENT:
      return Paint(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
      return 1;  // Paint covers every pixel
    case WM_SIZE:
      return UpdateScrollBars();
    case WM_VSCROLL:
      return OnVScroll(LOWORD(wParam));
    case WM_HSCROLL:
      return OnHScroll(LOWORD(wParam));
    case WM_MOUSEWHEEL:
      return OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
    case WM_LBUTTONDOWN:
      return OnButtonDown(lParam, (wParam & MK_SHIFT) != 0);
    case WM_MOUSEMOVE:
      return OnMouseMove(lParam);
    case WM_LBUTTONUP:
      return ReleaseCapture();
    case WM_CAPTURECHANGED:
      return OnCaptureLost();
    case WM_KEYDOWN:
      return OnKeyDown(wParam) ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return Redraw();
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT ConsoleView::OnCreate(HWND hwnd) {
  hwnd_ = hwnd;
  OnSetFont();
  return fonts_[0] ? 0 : -1;
}

// The layout's DPI may have changed (the frame sends a font with every new layout): the chat
// font and the rows follow it.
LRESULT ConsoleView::OnSetFont() {
  const int dpi = base::LayoutDpiOf(hwnd_);
  const std::wstring face = widgets::ResolveFace(L"宋体");
  for (int i = 0; i < 4; ++i) {
    LOGFONTW font{};
    font.lfHeight = -ScaleForDpi(kFontHeight, dpi);
    font.lfWeight = (i & 1) != 0 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (i & 2) != 0 ? TRUE : FALSE;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = NONANTIALIASED_QUALITY;  // the game's pixel font has no soft edges
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    fonts_[i].Reset(CreateFontIndirectW(&font));
  }
  rowHeight_ = ScaleForDpi(kRowHeight, dpi);
  base::ScopedGetDc screen(nullptr);
  base::ScopedSelect font(screen, fonts_[0]);
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(screen, &metrics)) byteWidth_ = std::max<int>(1, metrics.tmAveCharWidth);
  UpdateScrollBars();
  return Redraw();
}

LRESULT ConsoleView::OnPaint() {
  base::ScopedPaint paint(hwnd_);
  return Paint(paint);
}

// Draws the rows in sight into a bitmap, then the bitmap into target in one piece.
LRESULT ConsoleView::Paint(HDC target) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  base::ScopedMemoryDc memory(target);
  base::ScopedBitmap bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!memory.Get() || !bitmap) return 0;
  base::ScopedSelect keepBitmap(memory, bitmap);
  Fill(memory, client, kGround);
  SetBkMode(memory, TRANSPARENT);
  const std::size_t count = Count();
  for (std::size_t row = 0; top_ + row < count; ++row) {
    const int y = static_cast<int>(row) * rowHeight_;
    if (y >= client.bottom) break;
    DrawLine(memory, top_ + row, y, client.right);
  }
  BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  return 0;
}

void ConsoleView::DrawLine(HDC dc, std::size_t index, int y, int width) {
  const ConsoleLine line = log_->Line(index);
  if (selected_ && index >= std::min(anchor_, caret_) && index <= std::max(anchor_, caret_)) {
    Fill(dc, RECT{0, y, width, y + rowHeight_},
         GetFocus() == hwnd_ ? kSelectedGround : kSelectedUnfocusedGround);
  } else if (line.entryStart && index > 0) {
    Fill(dc, RECT{0, y, width, y + 1}, kRule);
  }
  const int dpi = base::LayoutDpiOf(hwnd_);
  int x = ScaleForDpi(kPadding + (line.entryStart ? 0 : kIndent), dpi) - left_;
  const int textY = y + (rowHeight_ - ScaleForDpi(kFontHeight, dpi)) / 2;
  // Only what can show is drawn: a line of megabytes costs no more than the view is wide.
  const std::size_t shown = static_cast<std::size_t>(left_ + width) / 2 + 16;
  const std::string_view text = line.text.substr(0, shown);
  if (line.kind == ConsoleLineKind::kReply) {
    for (const ChatRun& run : ReadChatCodes(text, CodeSigns::kSection).runs) {
      if (x >= width) break;
      x += DrawRun(dc, run, x, textY);
    }
    return;
  }
  const COLORREF ink = line.kind == ConsoleLineKind::kHeading ? kHeadingInk
                       : line.kind == ConsoleLineKind::kNote  ? kNoteInk
                                                              : kProblemInk;
  base::ScopedSelect font(dc, fonts_[0]);
  SetTextColor(dc, ink);
  const std::wstring wide = base::WideFromGbk(text);
  ExtTextOutW(dc, x, textY, 0, nullptr, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

// One run of an answer as the game draws it: its shadow one pixel down and right in a quarter of
// its colour, then the glyphs; underline and strikethrough as lines, obfuscated text as other
// glyphs of the same kind, and a red zigzag under what the game shows as written. Its width.
int ConsoleView::DrawRun(HDC dc, const ChatRun& run, int x, int y) {
  std::wstring wide = base::WideFromGbk(run.text);
  if (run.style.obfuscated) {
    static constexpr wchar_t kLatin[] =
        L"ABCDEFGHJKLMNOPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz0123456789";
    for (wchar_t& c : wide) {
      random_ = random_ * 1664525u + 1013904223u;
      if (c != L' ') {
        c = c >= 0x2E80 ? static_cast<wchar_t>(0x4E00 + (random_ >> 8) % 0x51A0)
                        : kLatin[(random_ >> 8) % (std::size(kLatin) - 1)];
      }
    }
  }
  base::ScopedSelect font(dc, fonts_[(run.style.bold ? 1 : 0) + (run.style.italic ? 2 : 0)]);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  const int height = ScaleForDpi(kFontHeight, base::LayoutDpiOf(hwnd_));
  for (const auto& [offset, ink] :
       {std::pair{1, StyleShadowColour(run.style)}, std::pair{0, StyleColour(run.style)}}) {
    SetTextColor(dc, FromRgb(ink));
    ExtTextOutW(dc, x + offset, y + offset, 0, nullptr, wide.c_str(),
                static_cast<UINT>(wide.size()), nullptr);
    const int left = x + offset;
    const int right = x + size.cx + offset;
    if (run.style.underline)
      Fill(dc, {left, y + height + offset, right, y + height + 1 + offset}, FromRgb(ink));
    if (run.style.strikethrough) {
      Fill(dc, {left, y + height / 2 + offset, right, y + height / 2 + 1 + offset}, FromRgb(ink));
    }
  }
  if (run.kind == RunKind::kFlagged) {
    for (int i = 0; i < size.cx; ++i) {
      const int wave = (i / 2) % 2;
      Fill(dc, {x + i, y + height + 1 + wave, x + i + 1, y + height + 2 + wave}, kFlagInk);
    }
  }
  return size.cx;
}

std::size_t ConsoleView::Rows() const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  return static_cast<std::size_t>(std::max<int>(1, client.bottom / std::max(1, rowHeight_)));
}

std::size_t ConsoleView::LineAt(int y) const {
  const std::size_t count = Count();
  if (count == 0) return 0;
  if (y < 0) return top_ > 0 ? top_ - 1 : 0;
  return std::min(count - 1, top_ + static_cast<std::size_t>(y / std::max(1, rowHeight_)));
}

void ConsoleView::ScrollTo(std::size_t top, int left) {
  const std::size_t count = Count();
  const std::size_t rows = Rows();
  top_ = std::min(top, count > rows ? count - rows : 0);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int widest = static_cast<int>(widestBytes_) * byteWidth_ + 2 * rowHeight_;
  left_ = std::clamp(left, 0, std::max(0, widest - static_cast<int>(client.right)));
  UpdateScrollBars();
  Redraw();
}

LRESULT ConsoleView::UpdateScrollBars() {
  if (hwnd_ == nullptr) return 0;
  RECT client{};
  GetClientRect(hwnd_, &client);
  SCROLLINFO vertical{sizeof vertical, SIF_ALL | SIF_DISABLENOSCROLL};
  vertical.nMax = static_cast<int>(std::max<std::size_t>(Count(), 1) - 1);
  vertical.nPage = static_cast<UINT>(Rows());
  vertical.nPos = static_cast<int>(top_);
  SetScrollInfo(hwnd_, SB_VERT, &vertical, TRUE);
  SCROLLINFO horizontal{sizeof horizontal, SIF_ALL | SIF_DISABLENOSCROLL};
  horizontal.nMax = static_cast<int>(widestBytes_) * byteWidth_ + 2 * rowHeight_;
  horizontal.nPage = static_cast<UINT>(std::max<LONG>(client.right, 1));
  horizontal.nPos = left_;
  SetScrollInfo(hwnd_, SB_HORZ, &horizontal, TRUE);
  return 0;
}

LRESULT ConsoleView::OnVScroll(int request) {
  SCROLLINFO info{sizeof info, SIF_ALL};
  GetScrollInfo(hwnd_, SB_VERT, &info);
  const std::size_t rows = Rows();
  std::size_t top = top_;
  switch (request) {
    case SB_LINEUP:
      top = top > 0 ? top - 1 : 0;
      break;
    case SB_LINEDOWN:
      ++top;
      break;
    case SB_PAGEUP:
      top = top > rows ? top - rows : 0;
      break;
    case SB_PAGEDOWN:
      top += rows;
      break;
    case SB_TOP:
      top = 0;
      break;
    case SB_BOTTOM:
      top = Count();
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      top = static_cast<std::size_t>(std::max(0, info.nTrackPos));
      break;
    default:
      return 0;
  }
  ScrollTo(top, left_);
  return 0;
}

LRESULT ConsoleView::OnHScroll(int request) {
  SCROLLINFO info{sizeof info, SIF_ALL};
  GetScrollInfo(hwnd_, SB_HORZ, &info);
  const int page = static_cast<int>(info.nPage);
  int left = left_;
  switch (request) {
    case SB_LINELEFT:
      left -= kArrowStep;
      break;
    case SB_LINERIGHT:
      left += kArrowStep;
      break;
    case SB_PAGELEFT:
      left -= page;
      break;
    case SB_PAGERIGHT:
      left += page;
      break;
    case SB_LEFT:
      left = 0;
      break;
    case SB_RIGHT:
      left = info.nMax;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      left = info.nTrackPos;
      break;
    default:
      return 0;
  }
  ScrollTo(top_, left);
  return 0;
}

LRESULT ConsoleView::OnWheel(int delta) {
  wheel_ += delta;
  const int notches = wheel_ / WHEEL_DELTA;
  wheel_ -= notches * WHEEL_DELTA;
  const auto rows = static_cast<std::ptrdiff_t>(notches) * kWheelRows;
  const auto top = static_cast<std::ptrdiff_t>(top_) - rows;
  ScrollTo(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, top)), left_);
  return 0;
}

LRESULT ConsoleView::OnButtonDown(LPARAM position, bool extend) {
  SetFocus(hwnd_);
  if (Count() == 0) return 0;
  SetCapture(hwnd_);
  dragging_ = true;
  MoveCaret(LineAt(GET_Y_LPARAM(position)), extend);
  return 0;
}

LRESULT ConsoleView::OnCaptureLost() {
  dragging_ = false;
  return 0;
}

// Dragging selects the lines passed over; beyond the top or bottom edge the view scrolls on.
LRESULT ConsoleView::OnMouseMove(LPARAM position) {
  if (!dragging_ || Count() == 0) return 0;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int y = GET_Y_LPARAM(position);
  MoveCaret(y >= client.bottom ? std::min(Count() - 1, top_ + Rows()) : LineAt(y), true);
  return 0;
}

bool ConsoleView::OnKeyDown(WPARAM key) {
  if (GetKeyState(VK_CONTROL) < 0 && (key == 'C' || key == 'A')) {
    if (key == 'C') {
      Copy();
    } else if (Count() > 0) {
      anchor_ = 0;
      selected_ = true;
      MoveCaret(Count() - 1, true);
    }
    return true;
  }
  if (key == VK_LEFT || key == VK_RIGHT) {
    ScrollTo(top_, left_ + (key == VK_LEFT ? -kArrowStep : kArrowStep));
    return true;
  }
  const std::optional<std::size_t> line = CaretTarget(key);
  if (line) MoveCaret(*line, GetKeyState(VK_SHIFT) < 0);
  return line.has_value();
}

// The line a movement key takes the caret to; nothing for another key or an empty log.
std::optional<std::size_t> ConsoleView::CaretTarget(WPARAM key) const {
  const std::size_t count = Count();
  if (count == 0) return std::nullopt;
  const std::size_t rows = Rows();
  const std::size_t caret = selected_ ? caret_ : top_;
  switch (key) {
    case VK_UP:
      return caret > 0 ? caret - 1 : 0;
    case VK_DOWN:
      return caret + 1;
    case VK_PRIOR:
      return caret > rows ? caret - rows : 0;
    case VK_NEXT:
      return caret + rows;
    case VK_HOME:
      return 0;
    case VK_END:
      return count - 1;
    default:
      return std::nullopt;
  }
}

// The caret moves to line (within the log); without extend the selection starts there afresh.
// The view scrolls as little as it must to show it.
void ConsoleView::MoveCaret(std::size_t line, bool extend) {
  line = std::min(line, Count() - 1);
  if (!extend || !selected_) anchor_ = line;
  caret_ = line;
  selected_ = true;
  const std::size_t rows = Rows();
  std::size_t top = top_;
  if (line < top) top = line;
  if (line >= top + rows) top = line - rows + 1;
  ScrollTo(top, left_);
}

void ConsoleView::Copy() const {
  const std::string text = Selection();
  if (!text.empty()) CopyTextToClipboard(text);
}

std::string ConsoleView::Selection() const {
  if (!selected_ || log_ == nullptr) return {};
  return log_->Text(std::min(anchor_, caret_), std::max(anchor_, caret_));
}

void ConsoleView::MeasureLines(std::size_t from) {
  for (std::size_t i = from; i < Count(); ++i) {
    widestBytes_ = std::max(widestBytes_, log_->Line(i).text.size());
  }
}

void ConsoleView::Show(const ConsoleLog* log) {
  log_ = log;
  lines_ = Count();
  widestBytes_ = 0;
  selected_ = false;
  MeasureLines(0);
  ScrollTo(lines_, 0);  // the newest lines
}

void ConsoleView::Changed(const ConsoleChange& change) {
  const bool atEnd = top_ + Rows() >= lines_;
  const std::size_t kept = lines_ - std::min(lines_, change.droppedLines);
  if (change.reshaped) {
    selected_ = false;
    widestBytes_ = 0;
    MeasureLines(0);
  } else {
    const std::size_t dropped = change.droppedLines;
    selected_ = selected_ && std::min(anchor_, caret_) >= dropped;
    anchor_ = anchor_ >= dropped ? anchor_ - dropped : 0;
    caret_ = caret_ >= dropped ? caret_ - dropped : 0;
    top_ = top_ >= dropped ? top_ - dropped : 0;
    MeasureLines(kept);
  }
  lines_ = Count();
  ScrollTo(atEnd ? lines_ : top_, left_);
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return Window::Procedure(hwnd, message, wParam, lParam);
}

}  // namespace

bool RegisterConsoleViewClass() {
  return base::RegisterWindowClass({.name = kConsoleViewClass, .procedure = &Procedure});
}

HWND CreateConsoleView(HWND parent, ControlId id, const RECT& place, DWORD style) {
  return Window::Create(new ConsoleView, 0, kConsoleViewClass, L"", style | WS_VSCROLL | WS_HSCROLL,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                        base::ProgramInstance());
}

void ShowConsoleLogIn(HWND view, const ConsoleLog* log) {
  if (ConsoleView* state = Window::Of(view)) state->Show(log);
}

void OnConsoleLogChanged(HWND view, const ConsoleChange& change) {
  if (ConsoleView* state = Window::Of(view)) state->Changed(change);
}

std::string SelectedConsoleText(HWND view) {
  const ConsoleView* state = Window::Of(view);
  return state != nullptr ? state->Selection() : std::string();
}

ConsoleViewport ConsoleViewportOf(HWND view) {
  const ConsoleView* state = Window::Of(view);
  return state != nullptr ? state->Viewport() : ConsoleViewport{};
}

}  // namespace ui
