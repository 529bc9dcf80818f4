// The frame's keyboard: Tab in reading order, Ctrl+Tab through pages and Enter in inputs here;
// arrow keys in the radio group, Space on buttons, Esc and mnemonics as in dialogs.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/frame_internal_win.h"
#include "ui/frame_win.h"
#include "ui/navigation.h"
#include "ui/tab_stops_win.h"

namespace ui::win {
namespace {

std::unordered_map<WindowId, std::vector<EnterKey>> g_enterKeys;
MessageFilter g_messageFilter = nullptr;

// The window's tab control, or nullptr.
HWND PageControlOf(const OpenWindowState& state) {
  for (const Element& element : state.description->elements) {
    if (element.kind == Kind::kPageControl) return ControlOf(state, element.id);
  }
  return nullptr;
}

int CurrentPage(const OpenWindowState& state) {
  HWND tab = PageControlOf(state);
  return tab != nullptr ? static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)) + 1 : 0;
}

// The controls Tab visits now, in order: shown and enabled ones only.
std::vector<HWND> TabStops(const OpenWindowState& state) {
  return ShownTabStops(TabOrder(*state.description, CurrentPage(state)),
                       [&state](ControlId id) { return ControlOf(state, id); });
}

bool WantsKey(HWND focus, MSG& msg, LRESULT want) {
  const LRESULT code =
      SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  return (code & (want | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
}

bool OnTabKey(const OpenWindowState& state, HWND focus, bool backwards) {
  return MoveFocusAmong(TabStops(state), focus, backwards);
}

// Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page, round the end. Focus on the page that
// goes moves to the tab control; focus elsewhere stays where it is.
bool OnPageKey(const OpenWindowState& state, bool backwards) {
  HWND tab = PageControlOf(state);
  if (tab == nullptr) return false;
  const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
  if (count <= 0) return true;
  const int current = static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0));
  SendMessageW(tab, TCM_SETCURSEL, (current + (backwards ? count - 1 : 1)) % count, 0);
  if (GetFocus() == nullptr || !IsWindowVisible(GetFocus())) FocusByKeyboard(tab);
  return true;
}

// Enter in an input with a bound button: the button's click, the focus staying in the input.
bool OnEnterKey(OpenWindowState& state, HWND focus) {
  auto keys = g_enterKeys.find(state.description->id);
  if (keys == g_enterKeys.end()) return false;
  for (const EnterKey& key : keys->second) {
    HWND input = ControlOf(state, key.input);
    if (input == nullptr || (input != focus && !IsChild(input, focus))) continue;
    const Element* element = FindElement(*state.description, key.input);
    // An open drop-down list takes Enter itself, to choose the item under its highlight.
    if (element != nullptr && element->kind == Kind::kComboBox &&
        SendMessageW(input, CB_GETDROPPEDSTATE, 0, 0)) {
      return false;
    }
    HWND button = ControlOf(state, key.button);
    if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button)) return true;
    SendMessageW(state.hwnd, WM_COMMAND, MAKEWPARAM(LOWORD(GetDlgCtrlID(button)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
  }
  return false;
}

bool TranslateNavigationKeys(OpenWindowState& state, MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  HWND focus = GetFocus();
  if (alt) return false;
  if (msg.wParam == VK_TAB && control) return OnPageKey(state, shift);
  if (msg.wParam == VK_TAB) {
    if (focus != nullptr && WantsKey(focus, msg, DLGC_WANTTAB)) return false;
    return OnTabKey(state, focus, shift);
  }
  if (msg.wParam == VK_RETURN && !control && !shift && focus != nullptr) {
    return OnEnterKey(state, focus);
  }
  return false;
}

}  // namespace

void FocusFirst(const OpenWindowState& state) {
  const std::vector<HWND> stops = TabStops(state);
  if (!stops.empty()) FocusByKeyboard(stops.front());
}

bool TranslateDialogKeys(MSG& msg) {
  if (g_messageFilter != nullptr && g_messageFilter(msg)) return true;
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root == nullptr || !IsOurTopLevel(root)) return false;
  if (OpenWindowState* state = OpenWindowOf(root);
      state != nullptr && TranslateNavigationKeys(*state, msg)) {
    return true;
  }
  return IsDialogMessageW(root, &msg);
}

bool TranslateProgramKeys(MSG& msg) {
  return TranslateDialogKeys(msg);
}

void SetEnterKeys(WindowId window, std::vector<EnterKey> keys) {
  g_enterKeys[window] = std::move(keys);
}

void SetMessageFilter(MessageFilter filter) {
  g_messageFilter = filter;
}

}  // namespace ui::win
