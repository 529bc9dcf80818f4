// The main window's menus as a user works them, with real clicks and keys (SendInput): a skin
// picked from the menu bar or from the window menu's skin list, with the mouse or the keyboard,
// re-skins every open window, moves the check marks and is remembered; the help menu's about
// box says where the settings are kept; and the bar takes its room above a client area that
// keeps its size and every control. The settings go to a folder of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window_extras_win.h"
#include "app/menu_bar_win.h"
#include "app/settings_win.h"
#include "app/skin_menu_win.h"
#include "app/tests/user_input_win.h"
#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "base/text_win.h"
#include "skin/engine/skin_format.h"
#include "skin/module_loader.h"
#include "skin/skins.h"
#include "skin/skins_win.h"
#include "ui/frame.h"
#include "ui/frame_win.h"

namespace {

using namespace ui::ids;
using testing_support::Centre;
using testing_support::Chord;
using testing_support::Click;
using testing_support::MoveTo;
using testing_support::RenderPixels;
using testing_support::Tap;
using testing_support::TextOf;

// Dispatches what is queued as the program's own loop does, keyboard navigation first.
void PumpAsProgram() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    if (!ui::win::TranslateProgramKeys(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    PumpAsProgram();
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

// ---- The user -----------------------------------------------------------------------------------
// Menus track the mouse and the keys in a loop of their own, inside the dispatch of the click or
// key that opened them: the user works on a thread of their own while the test's thread runs
// the program's loop.

bool WaitUntil(const std::function<bool()>& condition, DWORD limit = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > limit) return false;
    Sleep(20);
  }
  return true;
}

bool AnyMenuShown() {
  for (HWND window = FindWindowW(L"#32768", nullptr); window != nullptr;
       window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
    if (IsWindowVisible(window)) return true;
  }
  return false;
}

DWORD WINAPI RunUser(void* steps) {
  (*static_cast<const std::function<void()>*>(steps))();
  // Steps that failed half way may leave a menu open, whose loop would hold the test's thread.
  for (int i = 0; i < 4 && AnyMenuShown(); ++i) Tap(VK_ESCAPE);
  return 0;
}

// Runs the user's steps while this thread dispatches as the program does; returns when they are
// done (at most 30 s).
void AsUser(const std::function<void()>& steps) {
  HANDLE user =
      CreateThread(nullptr, 0, &RunUser, const_cast<std::function<void()>*>(&steps), 0, nullptr);
  ASSERT_NE(user, nullptr);
  const DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &user, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
    PumpAsProgram();
    if (GetTickCount() - start > 30000) {
      ADD_FAILURE() << "the user's steps did not end";
      TerminateThread(user, 1);
      break;
    }
  }
  CloseHandle(user);
  PumpFor(100);
}

// Item position of an open menu on the screen; false while the menu is not shown.
bool ShownItem(HMENU menu, int position, RECT& rect) {
  if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &rect)) return false;
  wchar_t className[16] = {};
  GetClassNameW(WindowFromPoint(Centre(rect)), className, 16);
  return lstrcmpW(className, L"#32768") == 0;
}

// Where an item is and what lies there, for failure messages.
std::string DescribeItem(HMENU menu, int position) {
  RECT rect{};
  const BOOL placed = GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &rect);
  wchar_t className[32] = {};
  GetClassNameW(WindowFromPoint(Centre(rect)), className, 32);
  char text[160];
  std::snprintf(text, sizeof text, "item %d of %p %s at %ld,%ld-%ld,%ld over %ls", position,
                static_cast<void*>(menu), placed ? "placed" : "not placed", rect.left, rect.top,
                rect.right, rect.bottom, className);
  std::string out = text;
  for (HWND window = FindWindowW(L"#32768", nullptr); window != nullptr;
       window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
    if (!IsWindowVisible(window)) continue;
    RECT at;
    GetWindowRect(window, &at);
    std::snprintf(text, sizeof text, "; shown: menu %p at %ld,%ld-%ld,%ld",
                  reinterpret_cast<void*>(SendMessageW(window, 0x01E1, 0, 0)), at.left, at.top,
                  at.right, at.bottom);
    out += text;
  }
  return out;
}

bool Shown(HMENU menu) {
  RECT rect;
  return ShownItem(menu, 0, rect);
}

// Waits for the menu, then clicks its item.
void ClickItem(HMENU menu, int position) {
  RECT rect{};
  ASSERT_TRUE(WaitUntil([&] { return ShownItem(menu, position, rect); }));
  MoveTo(Centre(rect));
  Click(Centre(rect));
}

// A message box of this process, shown, or nullptr.
HWND ShownDialog() {
  for (HWND dialog = FindWindowW(L"#32770", nullptr); dialog != nullptr;
       dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(dialog, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(dialog)) return dialog;
  }
  return nullptr;
}

// ---- What the windows show ----------------------------------------------------------------------

skin::engine::Look LookOf(int number) {
  skin::engine::Look look;
  const auto file = skin::SkinFile(number);
  EXPECT_EQ(skin::engine::ReadSkin(file.data(), file.size(), look), skin::engine::ReadStatus::kOk);
  return look;
}

COLORREF Colour(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The window's client pixel at (1, 1) as its own painting draws it.
COLORREF CornerOf(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return RenderPixels(window)[static_cast<size_t>(client.right) + 1];
}

// The menu bar on the screen: the rows between the title bar and the client area (where Wine's
// GetMenuBarInfo puts it a row lower).
RECT MenuBarOnScreen(HWND window) {
  MENUBARINFO info{};
  info.cbSize = sizeof info;
  GetMenuBarInfo(window, OBJID_MENU, 0, &info);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  return {info.rcBar.left, client.y - (info.rcBar.bottom - info.rcBar.top), info.rcBar.right,
          client.y};
}

// Whether the bar shows, right of its last item, the look's bar gradient.
::testing::AssertionResult BarIsInLookOf(HWND window, const skin::engine::Look& look) {
  const RECT bar = MenuBarOnScreen(window);
  RECT rect;
  GetWindowRect(window, &rect);
  const int y = (bar.top + bar.bottom) / 2;
  HDC dc = GetWindowDC(window);
  const COLORREF got = GetPixel(dc, bar.right - 4 - rect.left, y - rect.top);
  ReleaseDC(window, dc);
  const double at =
      static_cast<double>(y - bar.top) / static_cast<double>(bar.bottom - bar.top - 1);
  for (int shift : {0, 8, 16}) {
    const double from = (look.tabFrom >> (16 - shift)) & 0xFF;
    const double to = (look.tabTo >> (16 - shift)) & 0xFF;
    const double want = from + (to - from) * at;
    const double channel = (got >> shift) & 0xFF;
    if (channel < want - 4 || channel > want + 4) {
      return ::testing::AssertionFailure()
             << "bar pixel " << std::hex << got << " is not the bar colour of " << look.name;
    }
  }
  return ::testing::AssertionSuccess();
}

std::string SettingsFileText() {
  HANDLE file = CreateFileW(app::win::SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[512] = {};
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

// ---- The main window with its extras and the skin engine ---------------------------------------

class MenusTest : public testing_support::MainWindowFixture {
 protected:
  static void SetUpTestSuite() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"composer-menus-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    SetEnvironmentVariableW(L"APPDATA", folder.c_str());
    MainWindowFixture::SetUpTestSuite();
    ASSERT_TRUE(app::win::EnableMainWindowExtras());
    skin::CreateGlobalLoader();
    ASSERT_TRUE(skin::LoadIntoGlobalLoader(skin::EngineImage()));
  }

  void SetUp() override {
    MainWindowFixture::SetUp();
    SetForegroundWindow(main_);
    SetCursorPos(2, 2);
    PumpFor(200);
  }

  HMENU BarSkins() const { return GetSubMenu(GetMenu(main_), 0); }
  HMENU SystemMenu() const { return GetSystemMenu(main_, FALSE); }
  HMENU SystemSkins() const { return GetSubMenu(SystemMenu(), GetMenuItemCount(SystemMenu()) - 1); }
};

TEST_F(MenusTest, BothMenusListEverySkinByNameWithTheCurrentOneChecked) {
  wchar_t label[64] = {};
  GetMenuStringW(GetMenu(main_), 0, label, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(label), L"皮肤(&S)");
  GetMenuStringW(GetMenu(main_), 1, label, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(label), L"帮助(&H)");
  GetMenuStringW(SystemMenu(), static_cast<UINT>(GetMenuItemCount(SystemMenu()) - 1), label, 64,
                 MF_BYPOSITION);
  EXPECT_EQ(std::wstring(label), L"皮肤");
  for (HMENU skins : {BarSkins(), SystemSkins()}) {
    ASSERT_EQ(GetMenuItemCount(skins), skin::kSkinCount);
    for (int number = 1; number <= skin::kSkinCount; ++number) {
      GetMenuStringW(skins, app::SkinCommand(number), label, 64, MF_BYCOMMAND);
      EXPECT_EQ(std::wstring(label),
                std::to_wstring(number) + L"  " + base::WideFromGbk(skin::SkinName(number)));
      const UINT state = GetMenuState(skins, app::SkinCommand(number), MF_BYCOMMAND);
      EXPECT_EQ((state & MF_CHECKED) != 0, number == skin::CurrentSkin()) << number;
    }
  }
  EXPECT_EQ(base::WideFromGbk(skin::SkinName(7)), L"湛蓝玻璃");
}

// Every way to a skin: the menu bar with the mouse, with Alt and its access key, with Alt alone
// or F10 and the arrow keys; the window menu with the mouse (its icon) and with Alt+Space. With a
// second window open beside the main one, each pick re-skins both, moves the check mark in both
// menus and is written to the settings file. Esc closes a menu without a pick.
TEST_F(MenusTest, EveryWayToPickASkinReskinsEveryWindowAndIsRemembered) {
  ASSERT_TRUE(ui::Frame().OpenWindow(kCommandListWindow, false));
  HWND second = testing_support::FindComposerWindow(kCommandListWindow);
  ASSERT_NE(second, nullptr);
  SetForegroundWindow(main_);
  PumpFor(200);

  const HMENU bar = GetMenu(main_);
  const HMENU barSkins = BarSkins();
  const HMENU system = SystemMenu();
  const HMENU systemSkins = SystemSkins();
  const int before = skin::CurrentSkin();
  AsUser([&] {
    Chord({VK_MENU, 'S'});
    EXPECT_TRUE(WaitUntil([&] { return Shown(barSkins); }));
    Tap(VK_ESCAPE, 2);
    EXPECT_TRUE(WaitUntil([] { return !AnyMenuShown(); }));
  });
  EXPECT_EQ(skin::CurrentSkin(), before);

  struct Way {
    const char* how;
    int skin;
    std::function<void(int)> steps;
  };
  const Way ways[] = {
      {"window menu, mouse", 25,
       [&](int skin) {
         // The window's icon at the left of its title bar opens the window menu.
         RECT window{};
         GetWindowRect(main_, &window);
         const RECT barRect = MenuBarOnScreen(main_);
         const POINT icon{window.left + GetSystemMetrics(SM_CXFRAME) + 10,
                          (window.top + barRect.top) / 2};
         Click(icon);
         RECT item{};
         ASSERT_TRUE(WaitUntil([&] {
           return ShownItem(system, GetMenuItemCount(system) - 1, item);
         })) << "no window menu after a click at "
             << icon.x << ", " << icon.y << " (hit test "
             << SendMessageW(main_, WM_NCHITTEST, 0, MAKELPARAM(icon.x, icon.y)) << ", under it "
             << WindowFromPoint(icon) << ", the main window " << main_ << ", a menu shown "
             << AnyMenuShown() << "; " << DescribeItem(system, GetMenuItemCount(system) - 1) << ")";
         MoveTo(Centre(item));
         ClickItem(systemSkins, skin - 1);
       }},
      {"menu bar, mouse", 2,
       [&](int skin) {
         RECT item{};
         GetMenuItemRect(main_, bar, 0, &item);
         Click(Centre(item));
         ClickItem(barSkins, skin - 1);
       }},
      {"menu bar, Alt+S", 20,
       [&](int skin) {
         Chord({VK_MENU, 'S'});
         ASSERT_TRUE(WaitUntil([&] { return Shown(barSkins); }));
         Tap(VK_DOWN, skin - 1);
         Tap(VK_RETURN);
       }},
      {"menu bar, Alt then arrows", 12,
       [&](int skin) {
         Tap(VK_MENU);
         Tap(VK_DOWN);
         ASSERT_TRUE(WaitUntil([&] { return Shown(barSkins); }));
         Tap(VK_DOWN, skin - 1);
         Tap(VK_RETURN);
       }},
      {"menu bar, F10 then arrows", 29,
       [&](int skin) {
         Tap(VK_F10);
         Tap(VK_DOWN);
         ASSERT_TRUE(WaitUntil([&] { return Shown(barSkins); }));
         Tap(VK_DOWN, skin - 1);
         Tap(VK_RETURN);
       }},
      {"window menu, Alt+Space", 5,
       [&](int skin) {
         Chord({VK_MENU, VK_SPACE});
         ASSERT_TRUE(WaitUntil([&] { return Shown(system); }));
         Tap(VK_UP);
         Tap(VK_RIGHT);
         ASSERT_TRUE(WaitUntil([&] { return Shown(systemSkins); }));
         Tap(VK_DOWN, skin - 1);
         Tap(VK_RETURN);
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.how);
    SetForegroundWindow(main_);
    PumpFor(100);
    const int chosen = way.skin;
    AsUser([&] { way.steps(chosen); });
    for (int wait = 0; wait < 40 && skin::CurrentSkin() != chosen; ++wait) PumpFor(50);
    ASSERT_EQ(skin::CurrentSkin(), chosen);
    EXPECT_FALSE(AnyMenuShown());
    const skin::engine::Look look = LookOf(chosen);
    EXPECT_EQ(CornerOf(main_), Colour(look.windowColor));
    EXPECT_EQ(CornerOf(second), Colour(look.windowColor));
    PumpFor(100);
    EXPECT_TRUE(BarIsInLookOf(main_, look));
    for (HMENU skins : {barSkins, systemSkins}) {
      for (int number = 1; number <= skin::kSkinCount; ++number) {
        const UINT state = GetMenuState(skins, app::SkinCommand(number), MF_BYCOMMAND);
        EXPECT_EQ((state & MF_CHECKED) != 0, number == chosen) << number;
      }
    }
    EXPECT_NE(SettingsFileText().find("skin=" + std::to_string(chosen) + "\r\n"), std::string::npos)
        << SettingsFileText();
  }
  DestroyWindow(second);
  app::win::ChooseSkin(skin::kStartupSkin);
}

// 帮助 > 关于, by its access keys: a box with the version, the build and the settings file's path;
// Enter closes it.
TEST_F(MenusTest, TheAboutBoxSaysWhereTheSettingsAreKept) {
  std::wstring shown;
  AsUser([&] {
    Chord({VK_MENU, 'H'});
    ASSERT_TRUE(WaitUntil([&] { return Shown(GetSubMenu(GetMenu(main_), 1)); }));
    Tap('A');
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ShownDialog()) != nullptr; }));
    EXPECT_EQ(TextOf(box), L"关于");
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      shown += TextOf(child) + L"\n";
    }
    Tap(VK_RETURN);
    EXPECT_TRUE(WaitUntil([] { return ShownDialog() == nullptr; }));
  });
  EXPECT_NE(shown.find(L"v3.1"), std::wstring::npos) << base::GbkFromWide(shown);
  EXPECT_NE(shown.find(sizeof(void*) == 8 ? L"x64" : L"i686"), std::wstring::npos);
  ASSERT_FALSE(app::win::SettingsPath().empty());
  EXPECT_NE(shown.find(L"设置文件：" + app::win::SettingsPath()), std::wstring::npos)
      << base::GbkFromWide(shown);
  EXPECT_EQ(GetForegroundWindow(), main_);
}

// The client area, and every control in it, as in a window without the bar, at whatever DPI the
// test runs; the window is taller by exactly the bar, which stays one line.
TEST_F(MenusTest, TheBarTakesItsRoomAboveAnUnchangedClientArea) {
  struct Layout {
    SIZE outer;
    RECT client;
    LONG clientTop;              // below the window's top edge
    std::vector<RECT> controls;  // in client coordinates
  };
  auto layoutOf = [](HWND window) {
    Layout layout{};
    RECT outer;
    GetWindowRect(window, &outer);
    layout.outer = {outer.right - outer.left, outer.bottom - outer.top};
    GetClientRect(window, &layout.client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    layout.clientTop = origin.y - outer.top;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      RECT rect;
      GetWindowRect(child, &rect);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
      layout.controls.push_back(rect);
    }
    return layout;
  };
  const Layout withBar = layoutOf(main_);
  DestroyWindow(main_);
  PumpFor(50);
  ui::win::SetMenuBarMaker([](ui::WindowId) -> HMENU { return nullptr; });
  main_ = ui::win::ShowStartWindow(kMainWindow);
  ui::win::SetMenuBarMaker([](ui::WindowId window) -> HMENU {
    return window == kMainWindow ? app::win::CreateMenuBar(skin::CurrentSkin()) : nullptr;
  });
  ASSERT_NE(main_, nullptr);
  ASSERT_EQ(GetMenu(main_), nullptr);
  const Layout without = layoutOf(main_);
  DestroyWindow(main_);
  PumpFor(50);
  main_ = ui::win::ShowStartWindow(kMainWindow);
  ASSERT_NE(GetMenu(main_), nullptr);
  const Layout again = layoutOf(main_);

  EXPECT_TRUE(EqualRect(&withBar.client, &without.client));
  ASSERT_EQ(withBar.controls.size(), without.controls.size());
  for (size_t i = 0; i < withBar.controls.size(); ++i) {
    EXPECT_TRUE(EqualRect(&withBar.controls[i], &without.controls[i])) << i;
  }
  // The bar lies between the title bar, which keeps its height, and the client area, which moves
  // down by what the window grew.
  const LONG grown = again.outer.cy - without.outer.cy;
  std::printf("menu bar: %ld pixels high, the window %ld by %ld (%ld by %ld without it)\n", grown,
              again.outer.cx, again.outer.cy, without.outer.cx, without.outer.cy);
  EXPECT_GT(grown, 10);
  EXPECT_EQ(again.outer.cx, without.outer.cx);
  EXPECT_EQ(withBar.outer.cy, again.outer.cy);
  EXPECT_EQ(again.clientTop, without.clientTop + grown);
  RECT window;
  GetWindowRect(main_, &window);
  const RECT bar = MenuBarOnScreen(main_);
  EXPECT_EQ(bar.top - window.top, without.clientTop);
  for (int item = 0; item < GetMenuItemCount(GetMenu(main_)); ++item) {
    RECT rect{};
    ASSERT_TRUE(GetMenuItemRect(main_, GetMenu(main_), static_cast<UINT>(item), &rect));
    EXPECT_GE(rect.top, bar.top) << "the bar wraps";
    EXPECT_LE(rect.bottom, bar.bottom) << "the bar wraps";
  }
}

}  // namespace
