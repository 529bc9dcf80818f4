// The tab control of the control kinds: a system tab header whose pages are windows of the
// TabPage kind, created from a page control's description.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/description.h"

namespace ui::widgets {

// What a tab control made by CreateTabControl keeps, owned by the control.
struct TabState {
  static constexpr wchar_t kProperty[] = L"ComposerTabState";

  std::vector<HWND> pages;
  HWND tooltip = nullptr;  // the page hints
  POINT pageOrigin{0, 0};  // where the pages sit inside the tab control

  LRESULT OnSubclassMessage(HWND tab, UINT message, WPARAM wParam, LPARAM lParam);
};

// The state of a tab control made by CreateTabControl, or nullptr.
TabState* TabStateOf(HWND tab);

// Shows page index and hides the others; focus does not stay on a control that disappeared.
void ShowPage(HWND tab, TabState& state, int index);

// Creates the tab control of element inside parent with its pages, the described page shown,
// and hands out its state (owned by the control).
[[nodiscard]] HWND CreateTabControl(HWND parent, const Element& element, DWORD style,
                                    TabState*& stateOut);

// The tab control's page area for its current font and size; the pages fill it.
void PlacePages(HWND tab, TabState& state);

}  // namespace ui::widgets
