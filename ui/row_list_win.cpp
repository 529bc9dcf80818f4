// The owner-drawn row list. It keeps only the selection, the first row in view and the row
// height; everything about a row is asked of the source when the row comes into view.
#include "ui/row_list_win.h"

#include <windowsx.h>

#include <algorithm>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "base/win32_win.h"
#include "ui/fonts_win.h"
#include "ui/row_list_accessible_win.h"

namespace ui::widgets {
namespace {

COLORREF Blend(COLORREF over, COLORREF under, int percent) {
  const auto mix = [percent](int a, int b) { return (a * percent + b * (100 - percent)) / 100; };
  return RGB(mix(GetRValue(over), GetRValue(under)), mix(GetGValue(over), GetGValue(under)),
             mix(GetBValue(over), GetBValue(under)));
}

class RowList final : public RowListAccess {
 public:
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void SetSource(RowSource* source, int linesPerRow);
  void Changed(std::size_t first, std::size_t count);
  std::size_t Top() const { return top_; }

  // What screen readers and the list's owner ask.
  std::size_t Count() const override { return count_; }
  std::wstring Name(std::size_t row) const override {
    return source_ != nullptr && row < count_ ? source_->RowName(row) : std::wstring();
  }
  std::optional<std::size_t> Selected() const override { return selected_; }
  void Select(std::optional<std::size_t> row, bool notify) override;
  std::optional<std::size_t> RowAtPoint(POINT client) const override;
  RECT RectOf(std::size_t row) const override;

 private:
  LRESULT OnPaint();
  LRESULT OnSize();
  LRESULT OnEnable();
  LRESULT OnPrintClient(HDC dc);
  LRESULT OnKeyDown(WPARAM key);
  LRESULT OnMouseDown(LPARAM lParam, bool twice);
  LRESULT OnWheel(WPARAM wParam);
  LRESULT OnScroll(WPARAM wParam);
  LRESULT OnFocus(bool gained);
  LRESULT OnSetFont(HFONT font);
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);

  void Paint(HDC target, const RECT& client, const RECT& dirty);
  void PaintRows(HDC dc, const RECT& client, const RECT& dirty, COLORREF ink, COLORREF background);
  // The font, the DPI and the size are measured when they change; every row and every message
  // would otherwise ask the system for them again.
  void Measure();
  int RowHeight() const { return rowHeight_; }
  std::size_t RowsInView() const;  // rows wholly in view, at least one
  void ScrollTo(std::size_t top);
  void EnsureVisible(std::size_t row);
  void UpdateScrollBar();
  void Notify(WORD code);
  void AnnounceSelection();

  HWND hwnd_ = nullptr;
  RowSource* source_ = nullptr;
  int linesPerRow_ = 1;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  int rowHeight_ = 1;
  SIZE client_{0, 0};
  SCROLLINFO shownBar_{.nMax = -1};
  std::size_t count_ = 0;
  std::size_t top_ = 0;
  std::optional<std::size_t> selected_;
};

using RowListWindow = base::WindowState<RowList>;

// The list of a window of the class, or nullptr for any other window.
RowList* ListOf(HWND list);
RowListAccess* AccessOf(HWND list) {
  return ListOf(list);
}

LRESULT RowList::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  hwnd_ = hwnd;
  switch (message) {
    case WM_PAINT:
      return OnPaint();
    case WM_PRINTCLIENT:
      return OnPrintClient(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_SIZE:
      return OnSize();
    case WM_KEYDOWN:
      return OnKeyDown(wParam);
    case WM_LBUTTONDOWN:
      return OnMouseDown(lParam, false);
    case WM_LBUTTONDBLCLK:
      return OnMouseDown(lParam, true);
    case WM_MOUSEWHEEL:
      return OnWheel(wParam);
    case WM_VSCROLL:
      return OnScroll(wParam);
    case WM_SETFOCUS:
      return OnFocus(true);
    case WM_KILLFOCUS:
      return OnFocus(false);
    case WM_ENABLE:
      return OnEnable();
    case WM_SETFONT:
      return OnSetFont(reinterpret_cast<HFONT>(wParam));
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_GETOBJECT:
      return OnGetObject(wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void RowList::SetSource(RowSource* source, int linesPerRow) {
  source_ = source;
  linesPerRow_ = std::max(linesPerRow, 1);
  Measure();
  Changed(0, static_cast<std::size_t>(-1));
}

void RowList::Changed(std::size_t first, std::size_t count) {
  const std::size_t before = count_;
  count_ = source_ != nullptr ? source_->RowCount() : 0;
  if (selected_ && *selected_ >= count_) {
    selected_ = count_ > 0 ? std::optional<std::size_t>(count_ - 1) : std::nullopt;
  }
  if (top_ + RowsInView() > count_) top_ = count_ > RowsInView() ? count_ - RowsInView() : 0;
  UpdateScrollBar();
  if (count == static_cast<std::size_t>(-1) || first < top_) {
    InvalidateRect(hwnd_, nullptr, FALSE);
    return;
  }
  // Only the changed rows that are in view are drawn again; when rows came or went, every row
  // in view from the first changed one on.
  const std::size_t last =
      std::min(before != count_ ? top_ + RowsInView() + 1 : first + count, top_ + RowsInView() + 1);
  for (std::size_t row = first; row < last; ++row) {
    const RECT rect = RectOf(row);
    InvalidateRect(hwnd_, &rect, FALSE);
  }
}

void RowList::Select(std::optional<std::size_t> row, bool notify) {
  if (row && *row >= count_)
    row = count_ > 0 ? std::optional<std::size_t>(count_ - 1) : std::nullopt;
  const std::optional<std::size_t> before = selected_;
  selected_ = row;
  if (row) EnsureVisible(*row);
  for (const std::optional<std::size_t>& changed : {before, row}) {
    if (!changed) continue;
    const RECT rect = RectOf(*changed);
    InvalidateRect(hwnd_, &rect, FALSE);
  }
  if (before != row) AnnounceSelection();
  if (notify) Notify(kRowSelected);
}

std::optional<std::size_t> RowList::RowAtPoint(POINT client) const {
  if (client.y < 1) return std::nullopt;
  const std::size_t row = top_ + static_cast<std::size_t>((client.y - 1) / RowHeight());
  return row < count_ ? std::optional<std::size_t>(row) : std::nullopt;
}

RECT RowList::RectOf(std::size_t row) const {
  if (row < top_ || row > top_ + RowsInView()) return {};
  const int top = 1 + static_cast<int>(row - top_) * RowHeight();
  return {1, top, client_.cx - 1, std::min<LONG>(top + RowHeight(), client_.cy - 1)};
}

LRESULT RowList::OnPaint() {
  base::ScopedPaint paint(hwnd_);
  RECT client{};
  GetClientRect(hwnd_, &client);
  Paint(paint, client, paint.Dirty());
  return 0;
}

LRESULT RowList::OnSize() {
  Measure();
  UpdateScrollBar();
  return 0;
}

LRESULT RowList::OnEnable() {
  InvalidateRect(hwnd_, nullptr, FALSE);
  return 0;
}

LRESULT RowList::OnPrintClient(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  Paint(dc, client, client);
  return 0;
}

// Drawn through a bitmap of the list's size, so scrolling and selecting never flicker; only the
// rows the dirty rectangle touches are drawn.
void RowList::Paint(HDC target, const RECT& client, const RECT& dirty) {
  base::ScopedMemoryDc memory(target);
  base::ScopedBitmap bitmap(CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                                   std::max<LONG>(client.bottom, 1)));
  base::ScopedSelect selectBitmap(memory, bitmap);
  base::ScopedSelect selectFont(memory, font_ != nullptr ? font_ : DefaultFont(dpi_));
  // The parent answers as for a list box: the skin's field colours, or the system's.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd_), WM_CTLCOLORLISTBOX,
                                                     reinterpret_cast<WPARAM>(memory.Get()),
                                                     reinterpret_cast<LPARAM>(hwnd_)));
  const COLORREF ink = GetTextColor(memory);
  const COLORREF background = GetBkColor(memory);
  FillRect(memory, &client, brush != nullptr ? brush : GetSysColorBrush(COLOR_WINDOW));
  SetBkMode(memory, TRANSPARENT);
  PaintRows(memory, client, dirty, ink, background);
  base::ScopedBrush frame(CreateSolidBrush(Blend(ink, background, 45)));
  FrameRect(memory, &client, frame);
  BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
}

void RowList::PaintRows(HDC dc, const RECT& client, const RECT& dirty, COLORREF ink,
                        COLORREF background) {
  if (source_ == nullptr) return;
  const bool focused = GetFocus() == hwnd_;
  for (std::size_t row = top_; row < count_; ++row) {
    RECT rect = RectOf(row);
    if (rect.top >= client.bottom - 1 || rect.bottom <= rect.top) break;
    if (rect.bottom <= dirty.top || rect.top >= dirty.bottom) continue;
    const bool selected = selected_ == row;
    const COLORREF behind = selected ? Blend(ink, background, focused ? 28 : 16) : background;
    if (selected) {
      base::ScopedBrush fill(CreateSolidBrush(behind));
      FillRect(dc, &rect, fill);
    }
    base::ScopedRegion clip(CreateRectRgnIndirect(&rect));
    SelectClipRgn(dc, clip);
    SetTextColor(dc, ink);
    source_->PaintRow(dc, rect, row,
                      {ink, behind, Blend(ink, behind, 55), selected, focused, dpi_});
    SelectClipRgn(dc, nullptr);
    if (selected && focused) DrawFocusRect(dc, &rect);
  }
}

void RowList::Measure() {
  dpi_ = base::LayoutDpiOf(hwnd_);
  base::ScopedGetDc screen(nullptr);
  base::ScopedSelect select(screen, font_ != nullptr ? font_ : DefaultFont(dpi_));
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  rowHeight_ = std::max<int>(metrics.tmHeight * linesPerRow_ + base::ScaleForDpi(6, dpi_), 1);
  RECT client{};
  GetClientRect(hwnd_, &client);
  client_ = {client.right, client.bottom};
}

std::size_t RowList::RowsInView() const {
  return static_cast<std::size_t>(std::max<LONG>((client_.cy - 2) / RowHeight(), 1));
}

void RowList::ScrollTo(std::size_t top) {
  const std::size_t view = RowsInView();
  top = std::min(top, count_ > view ? count_ - view : 0);
  if (top == top_) return;
  top_ = top;
  UpdateScrollBar();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void RowList::EnsureVisible(std::size_t row) {
  if (row < top_) {
    ScrollTo(row);
  } else if (row >= top_ + RowsInView()) {
    ScrollTo(row + 1 - RowsInView());
  }
}

void RowList::UpdateScrollBar() {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMax = count_ > 0 ? static_cast<int>(count_ - 1) : 0;
  info.nPage = static_cast<UINT>(RowsInView());
  info.nPos = static_cast<int>(top_);
  // The bar is drawn again at each call: only a change is passed on.
  if (info.nMax == shownBar_.nMax && info.nPage == shownBar_.nPage && info.nPos == shownBar_.nPos) {
    return;
  }
  shownBar_ = info;
  // Drawn with the next paint rather than now: a change of rows may set it several times.
  SetScrollInfo(hwnd_, SB_VERT, &info, FALSE);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
}

LRESULT RowList::OnKeyDown(WPARAM key) {
  if (count_ == 0) return 0;
  const std::size_t at = selected_.value_or(0);
  const std::size_t page = std::max<std::size_t>(RowsInView() - 1, 1);
  switch (key) {
    case VK_UP:
      Select(at > 0 ? at - 1 : 0, true);
      break;
    case VK_DOWN:
      Select(selected_ ? std::min(at + 1, count_ - 1) : 0, true);
      break;
    case VK_PRIOR:
      Select(at > page ? at - page : 0, true);
      break;
    case VK_NEXT:
      Select(std::min(at + page, count_ - 1), true);
      break;
    case VK_HOME:
      Select(0, true);
      break;
    case VK_END:
      Select(count_ - 1, true);
      break;
    case VK_RETURN:
      if (selected_) Notify(kRowActivated);
      break;
    default:
      break;
  }
  return 0;
}

LRESULT RowList::OnMouseDown(LPARAM lParam, bool twice) {
  if (GetFocus() != hwnd_) SetFocus(hwnd_);
  const std::optional<std::size_t> row = RowAtPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  if (!row) return 0;
  if (selected_ != row) Select(row, true);
  Notify(twice ? kRowActivated : kRowClicked);
  return 0;
}

LRESULT RowList::OnWheel(WPARAM wParam) {
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
  const long long rows = static_cast<long long>(notches) * std::max<UINT>(lines / 2, 1);
  const long long top = static_cast<long long>(top_) - rows;
  ScrollTo(static_cast<std::size_t>(std::max<long long>(top, 0)));
  return 0;
}

LRESULT RowList::OnScroll(WPARAM wParam) {
  const std::size_t page = RowsInView();
  switch (LOWORD(wParam)) {
    case SB_LINEUP:
      ScrollTo(top_ > 0 ? top_ - 1 : 0);
      break;
    case SB_LINEDOWN:
      ScrollTo(top_ + 1);
      break;
    case SB_PAGEUP:
      ScrollTo(top_ > page ? top_ - page : 0);
      break;
    case SB_PAGEDOWN:
      ScrollTo(top_ + page);
      break;
    case SB_TOP:
      ScrollTo(0);
      break;
    case SB_BOTTOM:
      ScrollTo(count_);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(hwnd_, SB_VERT, &info);
      ScrollTo(static_cast<std::size_t>(std::max(info.nTrackPos, 0)));
      break;
    }
    default:
      break;
  }
  return 0;
}

LRESULT RowList::OnFocus(bool gained) {
  if (selected_) {
    const RECT rect = RectOf(*selected_);
    InvalidateRect(hwnd_, &rect, FALSE);
  }
  if (gained) AnnounceSelection();
  return 0;
}

LRESULT RowList::OnSetFont(HFONT font) {
  font_ = font;
  Measure();
  UpdateScrollBar();
  InvalidateRect(hwnd_, nullptr, FALSE);
  return 0;
}

LRESULT RowList::OnGetObject(WPARAM wParam, LPARAM lParam) {
  if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) {
    return DefWindowProcW(hwnd_, WM_GETOBJECT, wParam, lParam);
  }
  return AnswerRowListObject(hwnd_, wParam, &AccessOf);
}

void RowList::Notify(WORD code) {
  SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), code),
               reinterpret_cast<LPARAM>(hwnd_));
}

// Screen readers follow the selected row as the focus within the list.
void RowList::AnnounceSelection() {
  if (GetFocus() != hwnd_ || !selected_) return;
  const LONG child = static_cast<LONG>(*selected_) + 1;
  NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd_, OBJID_CLIENT, child);
  NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd_, OBJID_CLIENT, child);
}

RowList* ListOf(HWND list) {
  wchar_t name[32] = {};
  if (list == nullptr || GetClassNameW(list, name, 32) == 0 || lstrcmpW(name, kRowListClass) != 0) {
    return nullptr;
  }
  return RowListWindow::Of(list);
}

}  // namespace

bool RegisterRowListClass() {
  return base::RegisterWindowClass(
      {.name = kRowListClass, .procedure = RowListWindow::Procedure, .style = CS_DBLCLKS});
}

void SetRowSource(HWND list, RowSource* source, int linesPerRow) {
  if (RowList* state = ListOf(list)) state->SetSource(source, linesPerRow);
}

void RowsChanged(HWND list, std::size_t first, std::size_t count) {
  if (RowList* state = ListOf(list)) state->Changed(first, count);
}

std::optional<std::size_t> SelectedRow(HWND list) {
  RowList* state = ListOf(list);
  return state != nullptr ? state->Selected() : std::nullopt;
}

void SelectRow(HWND list, std::optional<std::size_t> row, bool notify) {
  if (RowList* state = ListOf(list)) state->Select(row, notify);
}

std::size_t TopRow(HWND list) {
  RowList* state = ListOf(list);
  return state != nullptr ? state->Top() : 0;
}

std::optional<std::size_t> RowAt(HWND list, POINT client) {
  RowList* state = ListOf(list);
  return state != nullptr ? state->RowAtPoint(client) : std::nullopt;
}

RECT RowRect(HWND list, std::size_t row) {
  RowList* state = ListOf(list);
  return state != nullptr ? state->RectOf(row) : RECT{};
}

std::size_t RowCountOf(HWND list) {
  RowList* state = ListOf(list);
  return state != nullptr ? state->Count() : 0;
}

std::wstring RowNameOf(HWND list, std::size_t row) {
  RowList* state = ListOf(list);
  return state != nullptr ? state->Name(row) : std::wstring();
}

}  // namespace ui::widgets
