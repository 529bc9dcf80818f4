#include "ui/tab_stops_win.h"

#include <algorithm>

namespace ui::win {

std::vector<HWND> ShownTabStops(const std::vector<ControlId>& order,
                                const std::function<HWND(ControlId)>& controlOf) {
  std::vector<HWND> stops;
  for (ControlId id : order) {
    HWND hwnd = controlOf(id);
    if (hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) stops.push_back(hwnd);
  }
  return stops;
}

void FocusByKeyboard(HWND control) {
  SetFocus(control);
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  if (lstrcmpiW(className, L"Edit") == 0) {
    const int end = GetWindowTextLengthW(control);
    SendMessageW(control, EM_SETSEL, end, end);
  }
}

bool MoveFocusAmong(const std::vector<HWND>& stops, HWND focus, bool backwards) {
  if (stops.empty()) return false;
  // The stop itself is looked for first: a tab control holds a whole page of stops.
  auto at = std::find(stops.begin(), stops.end(), focus);
  if (at == stops.end() && focus != nullptr) {
    at = std::find(stops.begin(), stops.end(), GetParent(focus));
  }
  std::size_t next = backwards ? stops.size() - 1 : 0;
  if (at != stops.end()) {
    const auto index = static_cast<std::size_t>(at - stops.begin());
    next = backwards ? (index + stops.size() - 1) % stops.size() : (index + 1) % stops.size();
  }
  FocusByKeyboard(stops[next]);
  return true;
}

}  // namespace ui::win
