// The main window's extras. The settings are read once at start-up and written whole whenever
// the skin changes and when the main window closes (its place).
#include "app/main_window_extras_win.h"

#include <commctrl.h>

#include <span>
#include <vector>

#include "app/menu_bar_win.h"
#include "app/settings_win.h"
#include "app/skin_menu_win.h"
#include "compose/commands.h"
#include "compose/message_inputs.h"
#include "skin/skins.h"
#include "ui/colour_preview_win.h"
#include "ui/frame_win.h"
#include "ui/ids.h"

namespace app::win {
namespace {

namespace ids = ui::ids;
using ui::ControlId;
using ui::WindowId;
using ui::win::FindControl;
using ui::win::SetWindowBuiltHook;

constexpr UINT_PTR kSubclassId = 0x4D41494E;

Settings g_settings;
HWND g_main = nullptr;

std::vector<HWND> Controls(std::span<const ControlId> ids) {
  std::vector<HWND> controls;
  for (ControlId id : ids) {
    if (HWND control = FindControl(ids::kMainWindow, id)) controls.push_back(control);
  }
  return controls;
}

// The remembered place, when the window's title bar would still lie on a connected screen
// there: a screen unplugged since, or a resolution turned down, must not leave it unreachable.
void RestorePosition(HWND window) {
  if (!g_settings.mainWindow) return;
  RECT rect{};
  GetWindowRect(window, &rect);
  const int left = g_settings.mainWindow->left;
  const int top = g_settings.mainWindow->top;
  const RECT titleBar{left, top, left + (rect.right - rect.left),
                      top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME)};
  if (MonitorFromRect(&titleBar, MONITOR_DEFAULTTONULL) == nullptr) return;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RememberPosition(HWND window) {
  if (IsIconic(window)) return;  // a minimized window keeps the place it had before
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return;
  g_settings.mainWindow = WindowPosition{rect.left, rect.top};
}

// Runs the pick of an item of the main window's menus; false when command is none of theirs.
bool RunMenuCommand(HWND hwnd, UINT command) {
  if (const int number = app::SkinOfCommand(command)) {
    ChooseSkin(number);
  } else if (command == kHelpPageCommand) {
    compose::OpenHelpPage();
  } else if (command == kAboutCommand) {
    ShowAboutBox(hwnd);
  } else {
    return false;
  }
  return true;
}

HMENU MakeMenuBar(WindowId window) {
  return window == ids::kMainWindow ? CreateMenuBar(skin::StartupSkin()) : nullptr;
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
  switch (message) {
    // A pick from the window menu comes as a system command on Windows; as a plain command under
    // Wine, as every pick from the menu bar does (a menu's command has no control: lParam 0).
    case WM_SYSCOMMAND:
      if (RunMenuCommand(hwnd, static_cast<UINT>(wParam & 0xFFF0))) return 0;
      break;
    case WM_COMMAND:
      if (lParam == 0 && HIWORD(wParam) == 0 && RunMenuCommand(hwnd, LOWORD(wParam))) return 0;
      break;
    case WM_EXITSIZEMOVE:
      RememberPosition(hwnd);
      break;
    case WM_DESTROY:
      RememberPosition(hwnd);
      SaveSettings(g_settings);
      if (g_main == hwnd) g_main = nullptr;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, MainWindowProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void OnWindowBuilt(WindowId window, HWND hwnd) {
  if (window != ids::kMainWindow) return;
  g_main = hwnd;
  RestorePosition(hwnd);
  app::AddSkinMenu(hwnd, skin::CurrentSkin());
  app::CheckSkinInMenus(hwnd, skin::CurrentSkin());
  const std::vector<HWND> inputs = Controls(compose::kMessageInputs);
  const std::vector<HWND> outputs = Controls(compose::kPreviewedOutputs);
  ui::AttachColourPreview(hwnd, inputs, outputs);
  SetWindowSubclass(hwnd, MainWindowProc, kSubclassId, 0);
}

}  // namespace

bool EnableMainWindowExtras() {
  g_settings = LoadSettings();
  skin::SetStartupSkin(g_settings.skin);
  SetWindowBuiltHook(&OnWindowBuilt);
  ui::win::SetMenuBarMaker(&MakeMenuBar);
  return ui::RegisterColourPreviewClass();
}

void ChooseSkin(int number) {
  if (number < 1 || number > skin::kSkinCount) return;
  skin::ApplySkin(number);
  if (g_main != nullptr) app::CheckSkinInMenus(g_main, number);
  g_settings.skin = number;
  SaveSettings(g_settings);
}

}  // namespace app::win
