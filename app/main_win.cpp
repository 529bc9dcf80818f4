// The start routine of the command composer.
#include <windows.h>

#include "app/main_window_extras_win.h"
#include "app/startup_win.h"
#include "base/runtime.h"
#include "skin/module_loader.h"
#include "skin/skins_win.h"
#include "ui/frame_win.h"
#include "ui/ids.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!app::InitializeProgram()) {
    base::RaiseRuntimeError(base::kNoErrorNumber, "载入启动窗口失败");
  }
  // Without the preview's or the workbench's class the program still works, with less: the
  // reason goes to the debug output.
  if (!app::win::EnableMainWindowExtras()) {
    OutputDebugStringW(L"composer: the colour preview or the workbench is unavailable\n");
  }
  // The global loader, released by the exit routine; the skin engine is mapped into it from the
  // program's own bytes. A refused image only means the windows keep the system's look; the
  // reason goes to the debug output, so that a broken build can be told from a broken system.
  skin::CreateGlobalLoader();
  base::RegisterExitRoutine(&skin::ReleaseGlobalLoader);
  if (!skin::LoadIntoGlobalLoader(skin::EngineImage())) {
    skin::ReportRefusedImage("SkinEngine.dll", skin::GlobalLoader()->LastError());
  }
  if (ui::win::ShowStartWindow(ui::ids::kMainWindow) == nullptr) {
    base::RaiseRuntimeError(base::kNoErrorNumber, "载入启动窗口失败");
  }
  ui::win::RunMessageLoop();
  ui::win::TerminateNormally();
}
