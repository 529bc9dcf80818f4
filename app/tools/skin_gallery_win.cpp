// The composer's main window in any skin of the catalogue, for photographs of the skins:
//   skin_gallery.exe NUMBER [prompt]
// Starts like the program (which applies the start-up skin), then applies skin NUMBER; with
// "prompt", the text prompt dialog opens over the main window.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/main_window_extras_win.h"
#include "app/skin_menu_win.h"
#include "app/startup_win.h"
#include "base/runtime.h"
#include "skin/module_loader.h"
#include "skin/skins_win.h"
#include "ui/frame_win.h"
#include "ui/ids.h"
#include "ui/prompt_dialog_win.h"

namespace {

HWND g_main = nullptr;

void CALLBACK OpenPrompt(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  // Shown only to be photographed: what is typed does not matter.
  static_cast<void>(
      ui::AskTextDialog(GetModuleHandleW(nullptr), g_main, L"创建脚本", L"请输入要创建的脚本名："));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (!app::InitializeProgram()) return 1;
  if (!app::win::EnableMainWindowExtras()) return 1;  // the menu bar, as the program shows it
  skin::CreateGlobalLoader();
  if (!skin::LoadIntoGlobalLoader(skin::EngineImage())) return 1;
  g_main = ui::win::ShowStartWindow(ui::ids::kMainWindow);
  if (g_main == nullptr) return 1;
  skin::ApplySkin(std::atoi(commandLine));
  app::CheckSkinInMenus(g_main, std::atoi(commandLine));
  if (std::strstr(commandLine, "prompt") != nullptr) SetTimer(nullptr, 0, 300, &OpenPrompt);
  ui::win::RunMessageLoop();
  ui::win::TerminateNormally();
}
