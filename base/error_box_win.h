// The run-time error box: how a failed internal check ends the program on Windows.
#pragma once

#include <string_view>

namespace base {

// Shows "运行时出错!" with the error's number and message in a task-modal box, then ends the
// process with exit code -1. No exit routine runs.
[[noreturn]] void ShowRuntimeErrorAndExit(int number, std::string_view message);

}  // namespace base
