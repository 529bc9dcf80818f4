// The start routine of the command composer.
#include <windows.h>

#include "app/frame_win.h"
#include "app/ids.h"
#include "app/main_window_extras_win.h"
#include "app/runtime.h"
#include "skin/module_loader.h"
#include "skin/skins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!app::win::InitializeFrame(instance)) {
    app::RaiseRuntimeError(app::kNoErrorNumber, "载入启动窗口失败");
  }
  // Without the preview's class the program still works; it only shows no preview.
  app::win::EnableMainWindowExtras(instance);
  // The global loader, released by the exit routine; the skin engine is mapped into it from the
  // program's own bytes. A refused image only means the windows keep the system's look.
  skin::CreateGlobalLoader();
  app::RegisterExitRoutine(&skin::ReleaseGlobalLoader);
  skin::LoadIntoGlobalLoader(skin::EngineImage());
  if (app::win::ShowStartWindow(app::ids::kMainWindow) == nullptr) {
    app::RaiseRuntimeError(app::kNoErrorNumber, "载入启动窗口失败");
  }
  app::win::RunMessageLoop();
  app::win::TerminateNormally();
}
