// The tab control: the system's tab header with one page window per described page, the page
// hints as tooltips, and the page shown following the selection however it is made.
#include "ui/tab_control_win.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "base/scoped_win.h"
#include "base/skin_parts.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/custom_kinds_win.h"
#include "ui/fonts_win.h"
#include "ui/skin_part_win.h"

namespace ui::widgets {
namespace {

using base::WideFromGbk;

using TabSubclass = base::SubclassState<TabState>;

// Resting the pointer on a tab shows its page's hint text in a tooltip.
void AddPageHints(HWND tab, const Element& element, TabState& state) {
  HWND tooltip =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(tab, GA_ROOT),
                      nullptr, base::ProgramInstance(), nullptr);
  if (tooltip == nullptr) return;
  state.tooltip = tooltip;
  SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
  for (size_t i = 0; i < element.pages.size(); ++i) {
    std::wstring hint = WideFromGbk(element.pages[i].hint);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = tab;
    tool.uId = i;
    SendMessageW(tab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tool.rect));
    tool.lpszText = hint.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

}  // namespace

LRESULT TabState::OnSubclassMessage(HWND tab, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefSubclassProc(tab, message, wParam, lParam);
  // Selecting a tab by message raises no TCN_SELCHANGE, so follow it here.
  if (message == TCM_SETCURSEL) {
    ShowPage(tab, *this, static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)));
  }
  return result;
}

TabState* TabStateOf(HWND tab) {
  return TabSubclass::Of(tab);
}

void ShowPage(HWND tab, TabState& state, int index) {
  HWND focus = GetFocus();
  for (size_t i = 0; i < state.pages.size(); ++i) {
    ShowWindow(state.pages[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  }
  // Focus must not stay on a control that just disappeared.
  if (focus != nullptr && !IsWindowVisible(focus) && IsChild(tab, focus)) SetFocus(tab);
}

HWND CreateTabControl(HWND parent, const Element& element, DWORD style, TabState*& stateOut) {
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", style | WS_CLIPCHILDREN, element.rect.left,
                             element.rect.top, element.rect.width, element.rect.height, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(element.id)),
                             base::ProgramInstance(), nullptr);
  if (tab == nullptr) return nullptr;
  SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(element.font)), FALSE);
  auto state = std::make_unique<TabState>();
  for (size_t i = 0; i < element.pages.size(); ++i) {
    std::wstring caption = WideFromGbk(element.pages[i].caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  RECT display{0, 0, element.rect.width, element.rect.height};
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  state->pageOrigin = {display.left, display.top};
  const int current = std::clamp(element.currentPage, 1, static_cast<int>(element.pages.size()));
  for (size_t i = 0; i < element.pages.size(); ++i) {
    HWND page = CreateCustomKind(CustomKind::kTabPage, {}, WS_EX_CONTROLPARENT, L"",
                                 WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                     (static_cast<int>(i) + 1 == current ? WS_VISIBLE : 0),
                                 display, tab, 0);
    if (page == nullptr) {
      DestroyWindow(tab);
      return nullptr;
    }
    MarkSkinPart(page, base::skin_parts::Part::kPanel);
    state->pages.push_back(page);
  }
  SendMessageW(tab, TCM_SETCURSEL, current - 1, 0);
  AddPageHints(tab, element, *state);
  stateOut = state.get();
  if (!TabSubclass::Attach(tab, state.release())) {
    DestroyWindow(tab);
    return nullptr;
  }
  return tab;
}

// The tab control's page area for its current font and size; the pages fill it.
void PlacePages(HWND tab, TabState& state) {
  RECT client{};
  GetClientRect(tab, &client);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&client));
  state.pageOrigin = {client.left, client.top};
  for (HWND page : state.pages) {
    SetWindowPos(page, nullptr, client.left, client.top, client.right - client.left,
                 client.bottom - client.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (state.tooltip == nullptr) return;
  const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = tab;
    tool.uId = static_cast<UINT_PTR>(i);
    SendMessageW(tab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageW(state.tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

}  // namespace ui::widgets
