// The run-time error box.
#include "base/error_box_win.h"

#include <windows.h>

#include <string>

#include "base/runtime.h"
#include "base/text_win.h"

namespace base {

void ShowRuntimeErrorAndExit(int number, std::string_view message) {
  ClearExitRoutines();
  const std::wstring text = WideFromGbk(RuntimeErrorText(number, message));
  MessageBoxW(nullptr, text.c_str(), L"错误",
              MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
  ExitProcess(static_cast<UINT>(-1));
}

}  // namespace base
