// The main window's extras. The remembered settings are written whenever the skin changes and
// when the main window closes (its place).
#include "app/main_window_extras_win.h"

#include <commctrl.h>

#include <span>
#include <string>
#include <vector>

#include "app/menu_bar.h"
#include "app/menu_bar_win.h"
#include "app/remembered_settings_win.h"
#include "app/server_console_win.h"
#include "app/skin_menu_win.h"
#include "app/workbench_window_win.h"
#include "base/text_win.h"
#include "compose/builders.h"
#include "compose/commands.h"
#include "compose/line_checker.h"
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

HWND g_main = nullptr;

std::vector<HWND> Controls(std::span<const ControlId> ids) {
  std::vector<HWND> controls;
  for (ControlId id : ids) {
    if (HWND control = FindControl(ids::kMainWindow, id)) controls.push_back(control);
  }
  return controls;
}

// What the checks say about the text the preview shows: for the command output box the command,
// for the script-line output box each line in it, for an input the line its row would build
// from what its inputs hold now. The preview reads colour codes itself, so those notes are left
// to it.
std::vector<ui::PreviewNote> CheckPreviewedText(const ui::PreviewedText& shown) {
  const auto id = static_cast<ControlId>(GetDlgCtrlID(shown.control));
  std::vector<compose::LineNote> notes;
  // An output box holds several lines or a whole command: each note says where it applies.
  const bool whereToo = id == ids::编辑框15 || id == ids::编辑框16;
  if (id == ids::编辑框15) {
    notes = compose::CheckCommand(shown.text, shown.unreadUnits);
  } else if (id == ids::编辑框16) {
    notes = compose::CheckScriptLines(shown.text, shown.unreadUnits);
  } else if (const compose::ScriptLineRow* row = compose::RowOfInput(id)) {
    std::size_t unread = shown.unreadUnits;
    const std::string line = compose::ComposeRowLine(*row, [&](ControlId input) {
      if (input == id) return std::string(shown.text);
      // The row's other inputs are read as far as the preview reads, however long they are.
      const base::WindowTextStart start =
          base::ReadWindowTextStart(FindControl(ids::kMainWindow, input), ui::kPreviewReadUnits);
      unread += start.length - start.text.size();
      return base::GbkFromWide(start.text);
    });
    notes = compose::CheckScriptLine(line, unread);
  }
  std::vector<ui::PreviewNote> shownNotes;
  for (const compose::LineNote& note : notes) {
    if (note.kind == compose::NoteKind::kColourCode || note.kind == compose::NoteKind::kHexColour) {
      continue;
    }
    shownNotes.push_back(
        {(whereToo ? "第" + std::to_string(note.column) + "字处：" : std::string()) + note.message,
         compose::IsProblem(note.kind)});
  }
  return shownNotes;
}

// The remembered place, when the window's title bar would still lie on a connected screen
// there: a screen unplugged since, or a resolution turned down, must not leave it unreachable.
void RestorePosition(HWND window) {
  if (!RememberedSettings().mainWindow) return;
  RECT rect{};
  GetWindowRect(window, &rect);
  const int left = RememberedSettings().mainWindow->left;
  const int top = RememberedSettings().mainWindow->top;
  const RECT titleBar{left, top, left + (rect.right - rect.left),
                      top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME)};
  if (MonitorFromRect(&titleBar, MONITOR_DEFAULTTONULL) == nullptr) return;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RememberPosition(HWND window) {
  if (IsIconic(window)) return;  // a minimized window keeps the place it had before
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return;
  RememberedSettings().mainWindow = WindowPosition{rect.left, rect.top};
}

// Runs the pick of an item of the main window's menus; false when command is none of theirs.
bool RunMenuCommand(HWND hwnd, UINT command) {
  if (const int number = app::SkinOfCommand(command)) {
    ChooseSkin(number);
  } else if (const MenuItem* item = MenuItemOfCommand(command)) {
    if (item->command == MenuCommand::kAbout) {
      ShowAboutBox(hwnd);
    } else if (item->handler != nullptr) {
      item->handler();
    }
  } else {
    return false;
  }
  return true;
}

HMENU MakeMenuBar(WindowId window) {
  return window == ids::kMainWindow ? CreateMenuBar(skin::StartupSkin()) : nullptr;
}

// The workbench and the console log go with the main window; the settings are saved.
void OnMainWindowDestroyed(HWND hwnd) {
  DestroyWorkbench();
  RememberPosition(hwnd);
  SaveRememberedSettingsAtExit();
  CloseConsoleLog();
  if (g_main == hwnd) g_main = nullptr;
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
    case WM_CLOSE:
      // The workbench's unsaved changes are asked about first; the user may stay.
      if (!CloseWorkbench()) return 0;
      break;
    case WM_DESTROY:
      OnMainWindowDestroyed(hwnd);
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
  OnServerWindowBuilt(window, hwnd);
  if (window != ids::kMainWindow) return;
  g_main = hwnd;
  RestorePosition(hwnd);
  // The menu bar's 皮肤 menu stays when the window menu cannot take the list too.
  static_cast<void>(app::AddSkinMenu(hwnd, skin::CurrentSkin()));
  app::CheckSkinInMenus(hwnd, skin::CurrentSkin());
  const std::vector<HWND> inputs = Controls(compose::kMessageInputs);
  const std::vector<HWND> outputs = Controls(compose::kPreviewedOutputs);
  ui::AttachColourPreview(hwnd, inputs, outputs, &CheckPreviewedText);
  SetWindowSubclass(hwnd, MainWindowProc, kSubclassId, 0);
}

}  // namespace

bool EnableMainWindowExtras() {
  LoadRememberedSettings();
  skin::SetStartupSkin(RememberedSettings().skin);
  SetWindowBuiltHook(&OnWindowBuilt);
  EnableServerConsole();
  ui::win::SetMenuBarMaker(&MakeMenuBar);
  return ui::RegisterColourPreviewClass() && EnableWorkbench();
}

void ChooseSkin(int number) {
  if (number < 1 || number > skin::kSkinCount) return;
  skin::ApplySkin(number);
  if (g_main != nullptr) app::CheckSkinInMenus(g_main, number);
  RememberedSettings().skin = number;
  SaveRememberedSettings();
}

}  // namespace app::win
