// Building, scaling and keyboard navigation of a described window of the program's own class.
#include "ui/described_window_win.h"

#include <algorithm>

#include "ui/navigation.h"
#include "ui/tab_stops_win.h"
#include "ui/widgets_win.h"

namespace ui::win {

bool DescribedWindow::Build(HWND hwnd, const WindowDescription& description,
                            const WindowPlace& place) {
  hwnd_ = hwnd;
  description_ = &description;
  WindowPlace at = place;
  if (const int actual = DpiOfWindow(hwnd); actual != place.dpi) {
    // The system put the window on a monitor of another DPI: it follows that monitor.
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    at = PlaceWindowAtDpi(description, actual, rect);
    SetWindowPos(hwnd, nullptr, at.rect.left, at.rect.top, at.rect.right - at.rect.left,
                 at.rect.bottom - at.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  layoutDpi_ = at.layoutDpi;
  SetWindowDpiLook(hwnd, description, at);
  return widgets::CreateControls(hwnd, description, controls_, layoutDpi_);
}

HWND DescribedWindow::Control(ControlId id) const {
  const auto found = controls_.find(id);
  return found != controls_.end() ? found->second : nullptr;
}

const Element* DescribedWindow::ElementOf(HWND control) const {
  if (control == nullptr || description_ == nullptr) return nullptr;
  const auto id = static_cast<ControlId>(GetDlgCtrlID(control));
  return Control(id) == control ? FindElement(*description_, id) : nullptr;
}

void DescribedWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  const WindowPlace at = PlaceWindowAtDpi(*description_, dpi, suggested);
  layoutDpi_ = at.layoutDpi;
  SetWindowDpiLook(hwnd_, *description_, at);
  SetWindowPos(hwnd_, nullptr, at.rect.left, at.rect.top, at.rect.right - at.rect.left,
               at.rect.bottom - at.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  widgets::LayoutControls(hwnd_, *description_, controls_, layoutDpi_);
}

bool DescribedWindow::TranslateNavigation(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  if (msg.wParam == VK_TAB && !control && !alt) return OnTab(GetKeyState(VK_SHIFT) < 0);
  if (msg.wParam == VK_RETURN && !control && !alt) {
    const Element* focused = ElementOf(GetFocus());
    return focused != nullptr && focused->kind == Kind::kButton && Activate(*focused);
  }
  if (alt && !control && msg.wParam < 0x80) return OnAccessKey(static_cast<char>(msg.wParam));
  return false;
}

std::vector<HWND> DescribedWindow::TabStops() const {
  return ShownTabStops(TabOrder(*description_, 0), [this](ControlId id) { return Control(id); });
}

bool DescribedWindow::OnTab(bool backwards) {
  return MoveFocusAmong(TabStops(), GetFocus(), backwards);
}

bool DescribedWindow::OnAccessKey(char key) {
  if (key < '0' || key > 'Z') return false;
  for (const Element& element : description_->elements) {
    if (AccessKey(element.caption) != key) continue;
    HWND hwnd = Control(element.id);
    if (hwnd == nullptr || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) continue;
    return Activate(element);
  }
  return false;
}

bool DescribedWindow::Activate(const Element& element) {
  HWND hwnd = Control(element.id);
  switch (element.kind) {
    case Kind::kButton:
      SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(LOWORD(element.id), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd));
      return true;
    case Kind::kCheckBox:
      SetFocus(hwnd);
      SendMessageW(hwnd, BM_CLICK, 0, 0);
      return true;
    default:
      break;
  }
  // An input or list whose own caption marks the key (it draws no caption) takes the focus.
  if (element.tabStop) {
    FocusByKeyboard(hwnd);
    return true;
  }
  if (HWND target = TargetOf(element)) {
    FocusByKeyboard(target);
    return true;
  }
  return false;
}

HWND DescribedWindow::TargetOf(const Element& element) const {
  const Rect area = PlacedRect(*description_, element);
  for (HWND stop : TabStops()) {
    const Element* candidate = ElementOf(stop);
    if (candidate == nullptr) continue;
    if (element.kind == Kind::kTransLabel &&
        AccessibleName(*description_, *candidate).data() == element.caption.data()) {
      return stop;
    }
    const Rect at = PlacedRect(*description_, *candidate);
    if (element.kind == Kind::kGroupBox && at.left >= area.left && at.top >= area.top &&
        at.left + at.width <= area.left + area.width &&
        at.top + at.height <= area.top + area.height) {
      return stop;
    }
  }
  return nullptr;
}

}  // namespace ui::win
