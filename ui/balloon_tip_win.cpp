// Balloon tips. The control polls the pointer every few milliseconds rather than hooking mouse
// messages: the pointer may rest on any child of any page, and a still pointer sends no
// messages at all, so only a clock can tell that it has rested long enough.
#include "ui/balloon_tip_win.h"

#include <algorithm>
#include <climits>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/dpi_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/hypertext.h"
#include "ui/hypertext_win.h"
#include "ui/navigation.h"
#include "ui/popup_placement.h"
#include "ui/style_sheet.h"

namespace ui::widgets {

using base::WideFromGbk;
namespace {

constexpr wchar_t kTipClass[] = L"Q_tip";
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 25;
constexpr COLORREF kBackground = RGB(0xFF, 0xFF, 0xE1);
constexpr COLORREF kBorder = RGB(0x76, 0x76, 0x76);
constexpr int kPadding = 8;
constexpr int kCorner = 12;
constexpr int kStemHeight = 12;
constexpr int kStemWidth = 14;
constexpr int kMaxTextWidth = 360;
constexpr int kRowGap = 2;  // between the target's row and the stem's point

struct Registration {
  HWND target;
  std::vector<HypertextLine> lines;
  int icon;
  Rect region;
  RowLocator rowOf;  // nullptr: the target alone is its row
};

// The state of a tip control, owned by the control.
struct TipState {
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnNcCreate(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreate();
  LRESULT OnTimer(WPARAM wParam);
  LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);

  HWND control = nullptr;
  HWND popup = nullptr;
  const StyleSheet* sheet = &StyleSheet::Program();
  std::vector<Registration> registrations;
  POINT pointer{LONG_MIN, LONG_MIN};
  DWORD restStart = 0;
  int under = -1;  // registration under the pointer
  int shown = -1;  // registration whose tip is showing
  DWORD shownAt = 0;
  bool spent = false;      // the tip under the pointer timed out: it waits until the pointer leaves
  int dpi = 96;            // the layout DPI of the tip's window when the popup was last shown
  BalloonOutline outline;  // of the shown popup
};

// The state of a tip's popup, owned by the popup: the tip it shows, until the tip control goes.
struct TipPopup {
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Paint(HWND hwnd, HDC dc);
  LRESULT OnNcDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam);

  TipState* tip = nullptr;
};

using TipWindow = base::WindowState<TipState>;
using PopupWindow = base::WindowState<TipPopup>;

// Popups that let every click through: a window that is layered and transparent is left out of
// hit testing, so a click on it reaches the control under it; answering WM_NCHITTEST alone is
// not enough for input that another thread or Wine's server routes.
constexpr DWORD kClickThroughExStyle =
    WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;

// A layered window shows nothing until it is given its opacity.
HWND MadeOpaque(HWND popup) {
  if (popup != nullptr) SetLayeredWindowAttributes(popup, 0, 255, LWA_ALPHA);
  return popup;
}

// Tip texts by target, for the targets' accessible descriptions.
std::unordered_map<HWND, std::wstring>& TipTexts() {
  static std::unordered_map<HWND, std::wstring> texts;
  return texts;
}

bool InRegion(const Registration& registration, POINT screen) {
  const Rect& region = registration.region;
  if (region.left == 0 && region.top == 0 && region.width == 0 && region.height == 0) return true;
  POINT client = screen;
  ScreenToClient(registration.target, &client);
  return client.x >= region.left && client.x < region.left + region.width &&
         client.y >= region.top && client.y < region.top + region.height;
}

// The registration whose control (or a child of it) is under the pointer, or -1. Nothing
// counts while the window is disabled (a modal window or dialog is open over it).
int RegistrationAt(const TipState& state, POINT screen) {
  HWND root = GetAncestor(state.control, GA_ROOT);
  if (root == nullptr || !IsWindowEnabled(root) || !IsWindowVisible(root)) return -1;
  for (HWND window = WindowFromPoint(screen); window != nullptr && window != root;
       window = GetParent(window)) {
    for (size_t i = 0; i < state.registrations.size(); ++i) {
      const Registration& registration = state.registrations[i];
      if (registration.target == window && IsWindowVisible(window) &&
          InRegion(registration, screen)) {
        return static_cast<int>(i);
      }
    }
    if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0) break;
  }
  return -1;
}

void Hide(TipState& state) {
  if (state.popup != nullptr) ShowWindow(state.popup, SW_HIDE);
  state.shown = -1;
}

RECT WorkAreaAt(POINT point) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) {
    return info.rcWork;
  }
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void Show(TipState& state, int index, POINT pointer) {
  const Registration& registration = state.registrations[static_cast<size_t>(index)];
  if (state.popup == nullptr) {
    state.popup = MadeOpaque(PopupWindow::Create(
        new TipPopup{&state}, kClickThroughExStyle, kBalloonPopupClass, L"", WS_POPUP, 0, 0, 0, 0,
        GetAncestor(state.control, GA_ROOT), nullptr, base::ProgramInstance()));
    if (state.popup == nullptr) return;
  }
  // Automation and screen readers read the tip as the popup's text.
  SetWindowTextW(state.popup, WideFromGbk(PlainText(registration.lines)).c_str());

  // Every length of the balloon is given at 96 DPI.
  state.dpi = base::LayoutDpiOf(state.control);
  const SIZE text =
      MeasureHypertext(base::ScopedGetDc(state.popup), registration.lines,
                       ScaleForDpi(kMaxTextWidth, state.dpi), *state.sheet, state.dpi);

  // Above or below the target's row, on the side nearer the pointer, and sideways with the stem
  // at the pointer: the tip never covers the row the user is working in. Always on screen.
  const SIZE size = OutlineBalloon(text, 0, true, state.dpi).size;
  RECT row{};
  if (registration.rowOf != nullptr) {
    row = registration.rowOf(registration.target);
  } else {
    GetWindowRect(registration.target, &row);
  }
  const Rect rowRect{row.left, row.top, row.right - row.left, row.bottom - row.top};
  const RECT work = WorkAreaAt(pointer);
  const PopupPlace place =
      PlaceBesideRow(rowRect, size.cx, size.cy, pointer.x - BalloonStemReach(state.dpi),
                     NearerSide(rowRect, pointer.y), ScaleForDpi(kRowGap, state.dpi),
                     {work.left, work.top, work.right - work.left, work.bottom - work.top});
  state.outline =
      OutlineBalloon(text, pointer.x - place.left, place.side == Side::kBelow, state.dpi);
  ShowBalloon(state.popup, state.outline, place.left, place.top);
  state.shown = index;
  state.shownAt = GetTickCount();
}

void Poll(TipState& state) {
  POINT pointer;
  if (!GetCursorPos(&pointer)) return;
  const DWORD now = GetTickCount();
  if (pointer.x != state.pointer.x || pointer.y != state.pointer.y) {
    state.pointer = pointer;
    state.restStart = now;
  }
  const int under = RegistrationAt(state, pointer);
  if (under != state.under) {  // another control: a fresh wait
    state.under = under;
    state.restStart = now;
    state.spent = false;
  }
  if (state.shown >= 0 && state.shown != under) Hide(state);
  if (state.shown >= 0 && now - state.shownAt >= kTipShowMs) {
    Hide(state);
    state.spent = true;
  }
  if (state.shown < 0 && under >= 0 && !state.spent && now - state.restStart >= kTipRestMs) {
    Show(state, under, pointer);
  }
}

LRESULT TipPopup::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the pointer's control stays the one under the tip
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      return Paint(hwnd, base::ScopedPaint(hwnd));
    case WM_PRINTCLIENT:
      return Paint(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_NCDESTROY:
      return OnNcDestroy(hwnd, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT TipPopup::Paint(HWND hwnd, HDC dc) {
  if (tip == nullptr || tip->shown < 0) return 0;
  const Registration& registration = tip->registrations[static_cast<size_t>(tip->shown)];
  PaintBalloon(hwnd, dc);
  DrawHypertext(dc, tip->outline.content, registration.lines, *tip->sheet, tip->dpi);
  return 0;
}

LRESULT TipPopup::OnNcDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (tip != nullptr) tip->popup = nullptr;
  return DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
}

LRESULT TipState::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return OnNcCreate(hwnd, wParam, lParam);
    case WM_CREATE:
      return OnCreate();
    case WM_TIMER:
      return OnTimer(wParam);
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_NCDESTROY:
      return OnNcDestroy(wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT TipState::OnNcCreate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  control = hwnd;
  return DefWindowProcW(hwnd, WM_NCCREATE, wParam, lParam);
}

LRESULT TipState::OnCreate() {
  SetTimer(control, kPollTimer, kPollMs, nullptr);
  return 0;
}

LRESULT TipState::OnTimer(WPARAM wParam) {
  if (wParam == kPollTimer) Poll(*this);
  return 0;
}

LRESULT TipState::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
  KillTimer(control, kPollTimer);
  for (const Registration& registration : registrations) TipTexts().erase(registration.target);
  if (popup != nullptr) {
    // The popup outlives this state by a moment: it must not reach back into it.
    if (TipPopup* shown = PopupWindow::Of(popup)) shown->tip = nullptr;
    DestroyWindow(popup);
  }
  return DefWindowProcW(control, WM_NCDESTROY, wParam, lParam);
}

bool IsTipControl(HWND hwnd) {
  wchar_t name[16] = {};
  return hwnd != nullptr && GetClassNameW(hwnd, name, 16) > 0 && lstrcmpW(name, kTipClass) == 0;
}

}  // namespace

HWND CreateClickThroughPopup(const wchar_t* className, HWND owner, void* param) {
  return MadeOpaque(CreateWindowExW(kClickThroughExStyle, className, L"", WS_POPUP, 0, 0, 0, 0,
                                    owner, nullptr, base::ProgramInstance(), param));
}

int BalloonStemReach(int dpi) {
  return ScaleForDpi(kCorner, dpi) + ScaleForDpi(kStemWidth, dpi) / 2;
}

BalloonOutline OutlineBalloon(SIZE content, int pointX, bool stemUp, int dpi) {
  auto px = [dpi](int length) { return ScaleForDpi(length, dpi); };
  const int padding = px(kPadding), corner = px(kCorner);
  const int stemHeight = px(kStemHeight), stemWidth = px(kStemWidth);
  BalloonOutline outline;
  outline.corner = corner;
  const int bodyWidth = content.cx + 2 * padding;
  const int bodyHeight = content.cy + 2 * padding;
  const int bodyTop = stemUp ? stemHeight : 0;
  outline.size = {bodyWidth, bodyHeight + stemHeight};
  outline.body = {0, bodyTop, bodyWidth, bodyTop + bodyHeight};
  outline.content = {padding, bodyTop + padding, bodyWidth - padding,
                     bodyTop + bodyHeight - padding};
  const int stemX =
      std::clamp<int>(pointX, corner, std::max(corner, bodyWidth - corner - stemWidth));
  const int edge = stemUp ? bodyTop + 1 : bodyTop + bodyHeight - 2;
  outline.stem[0] = {stemX, edge};
  outline.stem[1] = {stemX + stemWidth, edge};
  outline.stem[2] = {stemX, stemUp ? 0 : outline.size.cy - 1};
  return outline;
}

void ShowBalloon(HWND popup, const BalloonOutline& outline, int left, int top) {
  base::ScopedRegion shape(CreateRoundRectRgn(outline.body.left, outline.body.top,
                                              outline.body.right + 1, outline.body.bottom + 1,
                                              outline.corner, outline.corner));
  const base::ScopedRegion stem(CreatePolygonRgn(outline.stem, 3, WINDING));
  CombineRgn(shape.Get(), shape.Get(), stem.Get(), RGN_OR);
  SetWindowRgn(popup, shape.Release(), FALSE);  // the window owns the region now
  SetWindowPos(popup, HWND_TOPMOST, left, top, outline.size.cx, outline.size.cy,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(popup, nullptr, TRUE);
}

void PaintBalloon(HWND popup, HDC dc) {
  const base::ScopedRegion shape(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(popup, shape.Get()) == ERROR) {
    RECT client;
    GetClientRect(popup, &client);
    SetRectRgn(shape.Get(), client.left, client.top, client.right, client.bottom);
  }
  const base::ScopedBrush background(CreateSolidBrush(kBackground));
  const base::ScopedBrush border(CreateSolidBrush(kBorder));
  FillRgn(dc, shape.Get(), background.Get());
  FrameRgn(dc, shape.Get(), border.Get(), 1, 1);
}

bool RegisterBalloonTipClasses() {
  const bool tipOk = base::RegisterWindowClass(
      {.name = kTipClass, .procedure = TipWindow::Procedure, .arrowCursor = false});
  const bool popupOk = base::RegisterWindowClass(
      {.name = kBalloonPopupClass, .procedure = PopupWindow::Procedure, .style = CS_SAVEBITS});
  return tipOk && popupOk;
}

HWND CreateBalloonTip(HWND parent, const Element& element, POINT offset) {
  // Never shown: the control is a timer and a list; only its popup is seen.
  return CreateWindowExW(0, kTipClass, L"", WS_CHILD, element.rect.left + offset.x,
                         element.rect.top + offset.y, element.rect.width, element.rect.height,
                         parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(element.id)),
                         base::ProgramInstance(), nullptr);
}

bool AttachTip(HWND tip, HWND target, std::string_view text, int icon, const Rect& region,
               RowLocator rowOf) {
  if (!IsTipControl(tip) || !IsWindow(target)) return false;
  TipState* state = TipWindow::Of(tip);
  if (state == nullptr) return false;
  state->registrations.push_back(
      {target, ParseHypertext(text, state->sheet->Body().color), icon, region, rowOf});
  TipTexts()[target] = WideFromGbk(PlainText(state->registrations.back().lines));
  return true;
}

std::wstring TipTextFor(HWND target) {
  auto it = TipTexts().find(target);
  return it != TipTexts().end() ? it->second : std::wstring();
}

HWND BalloonPopupOf(HWND tip) {
  TipState* state = IsTipControl(tip) ? TipWindow::Of(tip) : nullptr;
  return state != nullptr ? state->popup : nullptr;
}

}  // namespace ui::widgets
