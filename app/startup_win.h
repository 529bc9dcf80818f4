// Start-up of the program on Windows: the frame with the program's windows, the network clock
// and the skin engine's host, put together. The start routine, the gallery and the tests that
// build the real main window all start this way.
#pragma once

#include <windows.h>

namespace app {

// Initialises the frame with the six windows of the description, installs the network clock
// for 时钟1's ticks and points the skin catalogue at the engine in the global loader. Safe to
// call more than once. False when the frame could not be initialised.
[[nodiscard]] bool InitializeProgram();

}  // namespace app
