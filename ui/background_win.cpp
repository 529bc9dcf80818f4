// The backgrounds behind our windows and control kinds.
#include "ui/background_win.h"

namespace ui::widgets {

void FillWindowBackground(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void PaintParentBackground(HWND child, HDC dc) {
  HWND parent = GetParent(child);
  if (parent == nullptr) return;
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT previous;
  OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
}

}  // namespace ui::widgets
