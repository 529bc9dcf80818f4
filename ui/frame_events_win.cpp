// The frame's events and hooks: handlers run for clicks, timer ticks and window creation, timer
// ticks held back while a handler runs, and the hooks the program and the tests set.
#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/frame_internal_win.h"
#include "ui/frame_win.h"

namespace ui::win {
namespace {

EventObserver g_eventObserver = nullptr;
WindowBuiltHook g_windowBuiltHook = nullptr;
MenuBarMaker g_menuBarMaker = nullptr;
StartObserver g_startObserver = nullptr;
int g_handlersRunning = 0;
// Timer ticks that came due while a handler was running (inside a dialog or modal window it
// opened); each is raised once when the handler has returned.
std::vector<std::pair<WindowId, ControlId>> g_dueTicks;

void RaiseDueTicks() {
  std::vector<std::pair<WindowId, ControlId>> due;
  due.swap(g_dueTicks);
  for (const auto& [window, control] : due) {
    OpenWindowState* state = FindOpenWindow(window);
    const Element* element = state ? FindElement(*state->description, control) : nullptr;
    if (element == nullptr || element->kind != Kind::kTimer) continue;
    // The late tick starts the next interval, so two ticks never come back to back.
    SetTimer(state->hwnd, control, static_cast<UINT>(element->interval), nullptr);
    RaiseEvent(window, control, FindHandler(element->events));
  }
}

}  // namespace

void RaiseEvent(WindowId window, ControlId control, Handler handler) {
  if (handler == nullptr) return;
  if (g_eventObserver != nullptr) g_eventObserver(window, control);
  ++g_handlersRunning;
  handler();
  --g_handlersRunning;
  if (g_handlersRunning == 0) RaiseDueTicks();
}

void OnTimerTick(OpenWindowState& state, ControlId control) {
  const Element* element = FindElement(*state.description, control);
  if (element == nullptr || element->kind != Kind::kTimer) return;
  if (g_handlersRunning > 0) {
    const std::pair<WindowId, ControlId> tick{state.description->id, control};
    if (std::find(g_dueTicks.begin(), g_dueTicks.end(), tick) == g_dueTicks.end()) {
      g_dueTicks.push_back(tick);
    }
    return;
  }
  RaiseEvent(state.description->id, control, FindHandler(element->events));
}

HMENU MakeMenuBar(WindowId window) {
  return g_menuBarMaker != nullptr ? g_menuBarMaker(window) : nullptr;
}

void NotifyWindowBuilt(WindowId window, HWND hwnd) {
  if (g_windowBuiltHook != nullptr && IsWindow(hwnd)) g_windowBuiltHook(window, hwnd);
}

void NotifyStart(bool start, StartStep step) {
  if (start && g_startObserver != nullptr) g_startObserver(step);
}

void SetEventObserver(EventObserver observer) {
  g_eventObserver = observer;
}

void SetWindowBuiltHook(WindowBuiltHook hook) {
  g_windowBuiltHook = hook;
}

void SetMenuBarMaker(MenuBarMaker maker) {
  g_menuBarMaker = maker;
}

void SetStartObserver(StartObserver observer) {
  g_startObserver = observer;
}

}  // namespace ui::win
