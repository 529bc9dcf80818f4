// The start routine of the command composer.
#include <windows.h>

#include "app/frame_win.h"
#include "app/ids.h"
#include "app/runtime.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!app::win::InitializeFrame(instance)) {
    app::RaiseRuntimeError(app::kNoErrorNumber, "载入启动窗口失败");
  }
  if (app::win::ShowStartWindow(app::ids::kMainWindow) == nullptr) {
    app::RaiseRuntimeError(app::kNoErrorNumber, "载入启动窗口失败");
  }
  app::win::RunMessageLoop();
  app::win::TerminateNormally();
}
