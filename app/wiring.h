// Handlers that belong to the main window itself rather than to one of its builders.
#pragma once

namespace app {

// Creation complete of the main window: applies the skin, then attaches the directive tips.
void OnMainWindowCreated();
// Tick of 时钟1: shows the network time in 透明标签20.
void OnClockTick();

}  // namespace app
