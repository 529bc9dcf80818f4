// Drives a running composer from outside, for screenshots: selects tab pages, opens and closes
// windows, types into controls, chooses skins, prints window rectangles. Each argument group is
// one step:
//   wait-main | page N | open BUTTON_ID WINDOW_ID | close WINDOW_ID | rect WINDOW_ID | sleep MS
//   text CONTROL_ID TEXT | focus CONTROL_ID | point CONTROL_ID | skin N | preview-rect
//   select COMBO_ID N | prompt BUTTON_ID | prompt-rect | prompt-close | click BUTTON_ID
//   popups-rect | menu N | menu-rect | menu-close | workbench | workbench-rect | workbench-close
//   import TEXT | import-rect | import-close
//   wtext WINDOW_ID CONTROL_ID TEXT | wclick WINDOW_ID BUTTON_ID
//   wopen WINDOW_ID BUTTON_ID OPENED_WINDOW_ID
// Identifiers are hexadecimal. preview-rect prints the rectangle of the colour-code preview
// together with the main window, popups-rect that of every shown popup (preview, directive tip,
// note) with it; "prompt" clicks a button that asks with the text prompt dialog. "skin" picks a
// skin from the menu bar and "menu" opens the bar's N-th menu, both with the keys a user presses;
// menu-rect prints the rectangle of the main window and its open menus. "workbench" opens the
// script workbench with the main window's button, "workbench-rect" prints its rectangle,
// "import" opens its import window and pastes TEXT into it.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <shellapi.h>

#include <algorithm>

#include "app/import_window_win.h"
#include "app/menu_bar.h"
#include "app/tests/user_input_win.h"
#include "app/tests/window_lookup_win.h"
#include "app/workbench_window_win.h"
#include "ui/balloon_tip_win.h"
#include "ui/colour_preview_win.h"
#include "ui/ids.h"
#include "ui/note_popup_win.h"

using namespace testing_support;

namespace {

unsigned long Hex(const char* text) {
  return std::strtoul(text, nullptr, 16);
}

// The text prompt dialog of the composer (a system dialog window), or nullptr.
HWND FindPrompt() {
  HWND main = FindComposerWindow(ui::ids::kMainWindow);
  DWORD process = 0;
  if (main == nullptr) return nullptr;
  GetWindowThreadProcessId(main, &process);
  for (HWND dialog = FindWindowW(L"#32770", nullptr); dialog != nullptr;
       dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    if (owner == process && IsWindowVisible(dialog)) return dialog;
  }
  return nullptr;
}

void PrintRect(HWND window) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr,
               RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(200);
  RECT rect;
  GetWindowRect(window, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
  std::fflush(stdout);
}

int Fail(const char* what) {
  std::fprintf(stderr, "composer_driver: %s\n", what);
  return 1;
}

HWND MainControl(const char* id) {
  HWND main = FindComposerWindow(ui::ids::kMainWindow);
  return main ? FindControlById(main, Hex(id)) : nullptr;
}

// The menus of the main window's process that are shown, as one rectangle with the window.
bool MenuRect(HWND main, RECT& rect) {
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  GetWindowRect(main, &rect);
  bool any = false;
  for (HWND menu = FindWindowW(L"#32768", nullptr); menu != nullptr;
       menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(menu, &owner);
    if (owner != process || !IsWindowVisible(menu)) continue;
    RECT shown;
    GetWindowRect(menu, &shown);
    UnionRect(&rect, &rect, &shown);
    any = true;
  }
  return any;
}

// Opens the menu bar's menu-th menu as a user does: Alt reaches the bar, the arrows the menu.
void OpenMenu(HWND main, int menu) {
  SetForegroundWindow(main);
  Sleep(200);
  Tap(VK_MENU);
  Tap(VK_RIGHT, menu - 1);
  Tap(VK_DOWN);
  Sleep(300);
}

}  // namespace

int main(int argc, char** argv) {
  // Texts as the command line gives them, whatever the code page.
  int wideCount = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    if (step == "wait-main") {
      if (!WaitForComposerWindow(ui::ids::kMainWindow)) return Fail("main window not found");
    } else if (step == "page" && i + 1 < argc) {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      HWND tab = main ? FindControlById(main, ui::ids::高级选择夹1) : nullptr;
      if (!tab) return Fail("tab control not found");
      SendMessageW(tab, TCM_SETCURSEL, std::atoi(argv[++i]) - 1, 0);
      RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    } else if (step == "open" && i + 2 < argc) {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      HWND button = main ? FindControlById(main, Hex(argv[++i])) : nullptr;
      if (!button) return Fail("button not found");
      // Posted: the composer opens the window modally and does not answer until it is closed.
      PostMessageW(button, BM_CLICK, 0, 0);
      if (!WaitForComposerWindow(Hex(argv[++i]))) return Fail("window did not open");
    } else if (step == "close" && i + 1 < argc) {
      HWND window = FindComposerWindow(Hex(argv[++i]));
      if (!window) return Fail("window to close not found");
      PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (step == "rect" && i + 1 < argc) {
      HWND window = FindComposerWindow(Hex(argv[++i]));
      if (!window) return Fail("window not found");
      PrintRect(window);
    } else if (step == "text" && i + 2 < argc && wideCount == argc) {
      HWND control = MainControl(argv[++i]);
      if (!control) return Fail("control not found");
      SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide[++i]));
    } else if (step == "focus" && i + 1 < argc) {
      HWND control = MainControl(argv[++i]);
      if (!control) return Fail("control not found");
      // Focus belongs to the composer's thread: join its input state for the call.
      const DWORD thread = GetWindowThreadProcessId(control, nullptr);
      AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
      SetForegroundWindow(GetAncestor(control, GA_ROOT));
      SetFocus(control);
      SendMessageW(control, EM_SETSEL, -1, -1);
      AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    } else if (step == "point" && i + 1 < argc) {
      HWND control = MainControl(argv[++i]);
      if (!control) return Fail("control not found");
      RECT rect;
      GetWindowRect(control, &rect);
      SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    } else if (step == "skin" && i + 1 < argc) {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      if (!main) return Fail("main window not found");
      // The skins stand in their menu in order, the first one highlighted when it opens.
      OpenMenu(main, app::kSkinMenuPosition + 1);
      Tap(VK_DOWN, std::atoi(argv[++i]) - 1);
      Tap(VK_RETURN);
      Sleep(300);
    } else if (step == "menu" && i + 1 < argc) {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      if (!main) return Fail("main window not found");
      OpenMenu(main, std::atoi(argv[++i]));
    } else if (step == "menu-rect") {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      RECT rect;
      if (!main || !MenuRect(main, rect)) return Fail("no menu open");
      std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top);
      std::fflush(stdout);
    } else if (step == "menu-close") {
      Tap(VK_ESCAPE, 2);
    } else if (step == "preview-rect") {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      HWND preview = FindWindowW(ui::kColourPreviewClass, nullptr);
      if (!main || !preview || !IsWindowVisible(preview)) return Fail("no preview shown");
      RECT rect, popup;
      GetWindowRect(main, &rect);
      GetWindowRect(preview, &popup);
      UnionRect(&rect, &rect, &popup);
      std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top);
      std::fflush(stdout);
    } else if (step == "popups-rect") {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      if (!main) return Fail("main window not found");
      RECT rect, popup;
      GetWindowRect(main, &rect);
      for (const wchar_t* name : {ui::kColourPreviewClass, ui::widgets::kBalloonPopupClass,
                                  ui::widgets::kNotePopupClass}) {
        HWND shown = FindWindowW(name, nullptr);
        if (shown == nullptr || !IsWindowVisible(shown)) continue;
        GetWindowRect(shown, &popup);
        UnionRect(&rect, &rect, &popup);
      }
      std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top);
      std::fflush(stdout);
    } else if (step == "click" && i + 1 < argc) {
      HWND button = MainControl(argv[++i]);
      if (!button) return Fail("button not found");
      PostMessageW(button, BM_CLICK, 0, 0);
    } else if (step == "select" && i + 2 < argc) {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      HWND combo = main ? FindControlById(main, Hex(argv[++i])) : nullptr;
      if (!combo) return Fail("combo box not found");
      SendMessageW(combo, CB_SETCURSEL, std::atoi(argv[++i]), 0);
    } else if (step == "prompt" && i + 1 < argc) {
      HWND main = FindComposerWindow(ui::ids::kMainWindow);
      HWND button = main ? FindControlById(main, Hex(argv[++i])) : nullptr;
      if (!button) return Fail("button not found");
      PostMessageW(button, BM_CLICK, 0, 0);
      HWND prompt = nullptr;
      for (int wait = 0; wait < 200 && prompt == nullptr; ++wait) {
        Sleep(50);
        prompt = FindPrompt();
      }
      if (!prompt) return Fail("prompt dialog did not open");
    } else if (step == "prompt-rect") {
      HWND prompt = FindPrompt();
      if (!prompt) return Fail("no prompt dialog");
      PrintRect(prompt);
    } else if (step == "prompt-close") {
      HWND prompt = FindPrompt();
      if (!prompt) return Fail("no prompt dialog");
      PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
    } else if (step == "workbench") {
      HWND button = MainControl("16012D36");
      if (!button) return Fail("workbench button not found");
      PostMessageW(button, BM_CLICK, 0, 0);
      HWND workbench = nullptr;
      for (int wait = 0; wait < 200 && workbench == nullptr; ++wait) {
        Sleep(50);
        workbench = FindWindowW(app::win::kWorkbenchClass, nullptr);
        if (workbench != nullptr && !IsWindowVisible(workbench)) workbench = nullptr;
      }
      if (!workbench) return Fail("workbench did not open");
    } else if (step == "workbench-rect") {
      HWND workbench = FindWindowW(app::win::kWorkbenchClass, nullptr);
      if (!workbench) return Fail("no workbench");
      PrintRect(workbench);
    } else if (step == "workbench-close") {
      HWND workbench = FindWindowW(app::win::kWorkbenchClass, nullptr);
      if (!workbench) return Fail("no workbench");
      PostMessageW(workbench, WM_CLOSE, 0, 0);
    } else if (step == "import" && i + 1 < argc && wideCount == argc) {
      HWND workbench = FindWindowW(app::win::kWorkbenchClass, nullptr);
      HWND button = workbench ? FindControlById(workbench, ui::ids::kImportLines) : nullptr;
      if (!button) return Fail("no workbench to import into");
      PostMessageW(button, BM_CLICK, 0, 0);
      HWND import = nullptr;
      for (int wait = 0; wait < 200 && import == nullptr; ++wait) {
        Sleep(50);
        import = FindWindowW(app::win::kImportClass, nullptr);
      }
      if (!import) return Fail("import window did not open");
      // Pasted as a user pastes: from the clipboard.
      const std::wstring text = wide[++i];
      if (!OpenClipboard(nullptr)) return Fail("clipboard busy");
      EmptyClipboard();
      HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
      std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(block);
      SetClipboardData(CF_UNICODETEXT, block);
      CloseClipboard();
      SendMessageW(FindControlById(import, ui::ids::kPastedText), WM_PASTE, 0, 0);
    } else if (step == "import-rect") {
      HWND import = FindWindowW(app::win::kImportClass, nullptr);
      if (!import) return Fail("no import window");
      PrintRect(import);
    } else if (step == "import-close") {
      HWND import = FindWindowW(app::win::kImportClass, nullptr);
      if (!import) return Fail("no import window");
      PostMessageW(import, WM_CLOSE, 0, 0);
    } else if (step == "wtext" && i + 3 < argc && wideCount == argc) {
      HWND window = FindComposerWindow(Hex(argv[++i]));
      HWND control = window ? FindControlById(window, Hex(argv[++i])) : nullptr;
      if (!control) return Fail("control not found");
      SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide[++i]));
    } else if (step == "wclick" && i + 2 < argc) {
      HWND window = FindComposerWindow(Hex(argv[++i]));
      HWND button = window ? FindControlById(window, Hex(argv[++i])) : nullptr;
      if (!button) return Fail("button not found");
      PostMessageW(button, BM_CLICK, 0, 0);
    } else if (step == "wopen" && i + 3 < argc) {
      HWND window = FindComposerWindow(Hex(argv[++i]));
      HWND button = window ? FindControlById(window, Hex(argv[++i])) : nullptr;
      if (!button) return Fail("button not found");
      PostMessageW(button, BM_CLICK, 0, 0);
      if (!WaitForComposerWindow(Hex(argv[++i]))) return Fail("window did not open");
    } else if (step == "sleep" && i + 1 < argc) {
      Sleep(static_cast<DWORD>(std::atoi(argv[++i])));
    } else {
      return Fail(("unknown step " + step).c_str());
    }
  }
  return 0;
}
