// The engine's handling of the messages of the windows it takes over, shared by the files that
// hold it: the window-state table, what each window class is, the handlers of each kind of
// window and the subclass procedure that calls them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/engine/engine_win.h"

namespace skin::engine {

// The table of the windows taken over (StateOf finds one). False when there is no room left.
bool AddState(HWND hwnd, WindowState* state);
void RemoveState(HWND hwnd);

// What a window class is to the engine.
enum class Family : std::uint8_t {
  kOther,
  // Classes the engine never touches: menus, tooltips, the input method's windows draw
  // themselves, partly from other threads' state.
  kIgnored,
  kComboList,  // the drop-down part of a combo box: never touched, but a field for colours
  kButton,
  kEdit,
  kListBox,
  kComboBox,
  kTab,
  kStatic,
  kRichEdit,
};

// hwnd's class, remembered by atom; and what the engine does for a window of that class.
Family FamilyOf(HWND hwnd);
Kind Classify(HWND hwnd, Family family);
// Edit boxes, list boxes and a combo box's list: the controls with the skin's field colours.
bool IsFieldClass(HWND hwnd);

// The window's own procedure, from before the engine took it over.
inline LRESULT CallOriginal(const WindowState& state, HWND hwnd, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  return CallWindowProcW(state.original, hwnd, message, wParam, lParam);
}
// Asks for WM_MOUSELEAVE (with flags: also WM_NCMOUSELEAVE) when the pointer leaves hwnd.
void TrackLeave(HWND hwnd, DWORD flags);
// Stops watching the pointer for the hot control.
void StopHotWatch();
// Gives a rich edit box the skin's field colours.
void StyleRichEdit(HWND hwnd, WindowState& state);

// The messages of each kind of window: true when handled, with result set.
bool HandleFrame(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result);
bool HandleButton(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT& result);
bool HandleCombo(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result);
bool HandleTab(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
               LRESULT& result);
bool HandleField(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result);
// Windows of the application's own classes, by the part they declare.
bool HandlePart(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LRESULT& result);

}  // namespace skin::engine
