// The start routine of the command composer.
#include <windows.h>

#include "app/frame_win.h"
#include "app/ids.h"
#include "app/runtime.h"
#include "skin/module_loader.h"
#include "skin/skins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!app::win::InitializeFrame(instance)) {
    app::RaiseRuntimeError(app::kNoErrorNumber, "载入启动窗口失败");
  }
  // The global loader, released by the exit routine; the skin engine is mapped into it from the
  // program's own bytes. A refused image only means the windows keep the system's look; the
  // reason goes to the debug output, so that a broken build can be told from a broken system.
  skin::CreateGlobalLoader();
  app::RegisterExitRoutine(&skin::ReleaseGlobalLoader);
  if (!skin::LoadIntoGlobalLoader(skin::EngineImage())) {
    skin::ReportRefusedImage("SkinEngine.dll", skin::GlobalLoader()->LastError());
  }
  if (app::win::ShowStartWindow(app::ids::kMainWindow) == nullptr) {
    app::RaiseRuntimeError(app::kNoErrorNumber, "载入启动窗口失败");
  }
  app::win::RunMessageLoop();
  app::win::TerminateNormally();
}
