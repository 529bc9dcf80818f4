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
#include <tuple>
#include <vector>

#include "app/main_window_extras_win.h"
#include "app/menu_bar.h"
#include "app/menu_bar_win.h"
#include "app/settings_win.h"
#include "app/skin_menu_win.h"
#include "app/tests/user_input_win.h"
#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "skin/engine/skin_format.h"
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
using testing_support::Tap;
using testing_support::TextOf;

// Dispatches what is queued as the program's own loop does, keyboard navigation first.
void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT || ui::win::TranslateProgramKeys(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (DWORD start = GetTickCount(); !condition(); Sleep(20)) {
    if (GetTickCount() - start > 5000) return false;
  }
  return true;
}

bool AnyMenuShown() {
  for (HWND menu = FindWindowW(L"#32768", nullptr); menu != nullptr;
       menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
    if (IsWindowVisible(menu)) return true;
  }
  return false;
}

// A menu tracks the mouse and the keys in a loop of its own, inside the dispatch of the click or
// key that opened it: the user works on a thread of their own while the test's thread runs the
// program's loop.
DWORD WINAPI RunUser(void* steps) {
  (*static_cast<const std::function<void()>*>(steps))();
  // Steps that failed half way may leave a menu open, whose loop would hold the test's thread.
  for (int i = 0; i < 4 && AnyMenuShown(); ++i) Tap(VK_ESCAPE);
  return 0;
}

void AsUser(const std::function<void()>& steps) {
  HANDLE user =
      CreateThread(nullptr, 0, &RunUser, const_cast<std::function<void()>*>(&steps), 0, nullptr);
  ASSERT_NE(user, nullptr);
  while (MsgWaitForMultipleObjects(1, &user, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) PumpFor(0);
  CloseHandle(user);
  PumpFor(100);
}

// An item of a shown menu, on the screen; false while the menu is not shown.
bool ShownItem(HMENU menu, int position, RECT& rect) {
  if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &rect)) return false;
  wchar_t className[16] = {};
  GetClassNameW(WindowFromPoint(Centre(rect)), className, 16);
  return lstrcmpW(className, L"#32768") == 0;
}

bool Shown(HMENU menu) {
  RECT rect;
  return ShownItem(menu, 0, rect);
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

COLORREF Colour(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The window's client pixel at (1, 1) as its own painting draws it.
COLORREF CornerOf(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return testing_support::RenderPixels(window)[static_cast<size_t>(client.right) + 1];
}

// The menu bar on the screen: the rows between the title bar and the client area (Wine's
// GetMenuBarInfo puts them a row lower).
RECT MenuBarOnScreen(HWND window) {
  MENUBARINFO info{};
  info.cbSize = sizeof info;
  GetMenuBarInfo(window, OBJID_MENU, 0, &info);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  return {info.rcBar.left, client.y - (info.rcBar.bottom - info.rcBar.top), info.rcBar.right,
          client.y};
}

// The bar's colour, right of its last item, at its middle row: the look's bar gradient there.
::testing::AssertionResult BarIsInLookOf(HWND window, const skin::engine::Look& look) {
  const RECT bar = MenuBarOnScreen(window);
  RECT rect;
  GetWindowRect(window, &rect);
  const int y = (bar.top + bar.bottom) / 2;
  const COLORREF got =
      GetPixel(base::ScopedWindowDc(window), bar.right - 4 - rect.left, y - rect.top);
  const double at = static_cast<double>(y - bar.top) / (bar.bottom - bar.top - 1);
  for (int shift : {0, 8, 16}) {
    const double from = (look.tabFrom >> (16 - shift)) & 0xFF;
    const double to = (look.tabTo >> (16 - shift)) & 0xFF;
    const double channel = (got >> shift) & 0xFF;
    if (channel < from + (to - from) * at - 4 || channel > from + (to - from) * at + 4) {
      return ::testing::AssertionFailure() << "bar pixel " << std::hex << got;
    }
  }
  return ::testing::AssertionSuccess();
}

// The main window with its extras and the skin engine, as the program has them.
class MenusTest : public testing_support::ProgramFixture {
 protected:
  static void SetUpTestSuite() { SetUpProgram(L"menus"); }

  void SetUp() override {
    MainWindowFixture::SetUp();
    SetForegroundWindow(main_);
    SetCursorPos(2, 2);
    PumpFor(200);
  }
};

// Every way to a skin: the window menu with the mouse (its icon) and with Alt+Space; the menu
// bar with the mouse, with Alt and its access key, with Alt alone or F10 and the arrows. Both
// lists show every skin by name. With a second window open beside the main one, each pick
// re-skins both and the bar, moves the check mark in both lists and is written to the settings
// file. Esc closes a menu without a pick.
TEST_F(MenusTest, EveryWayToPickASkinReskinsEveryWindowAndIsRemembered) {
  const HMENU bar = GetMenu(main_);
  const int skinMenu = app::kSkinMenuPosition;
  const HMENU barSkins = GetSubMenu(bar, skinMenu);
  const HMENU system = GetSystemMenu(main_, FALSE);
  const int systemLast = GetMenuItemCount(system) - 1;
  const HMENU systemSkins = GetSubMenu(system, systemLast);
  wchar_t label[64] = {};
  for (const auto& [menu, position, text] : {std::tuple{bar, 0, L"脚本(&J)"},
                                             {bar, 1, L"服务器(&V)"},
                                             {bar, 2, L"皮肤(&S)"},
                                             {bar, 3, L"帮助(&H)"},
                                             {system, systemLast, L"皮肤"}}) {
    GetMenuStringW(menu, static_cast<UINT>(position), label, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(label), text);
  }
  for (HMENU skins : {barSkins, systemSkins}) {
    ASSERT_EQ(GetMenuItemCount(skins), skin::kSkinCount);
    for (int number = 1; number <= skin::kSkinCount; ++number) {
      GetMenuStringW(skins, app::SkinCommand(number), label, 64, MF_BYCOMMAND);
      EXPECT_EQ(std::wstring(label),
                std::to_wstring(number) + L"  " + base::WideFromGbk(skin::SkinName(number)));
    }
  }
  EXPECT_EQ(base::WideFromGbk(skin::SkinName(7)), L"湛蓝玻璃");

  ASSERT_TRUE(ui::Frame().OpenWindow(kCommandListWindow, false));
  HWND second = testing_support::FindComposerWindow(kCommandListWindow);
  ASSERT_NE(second, nullptr);
  SetForegroundWindow(main_);
  PumpFor(200);
  const int before = skin::CurrentSkin();
  AsUser([&] {
    Chord({VK_MENU, 'S'});
    EXPECT_TRUE(WaitUntil([&] { return Shown(barSkins); }));
    Tap(VK_ESCAPE, 2);
    EXPECT_TRUE(WaitUntil([] { return !AnyMenuShown(); }));
  });
  EXPECT_EQ(skin::CurrentSkin(), before);

  // Each way opens its skin list; the mouse then clicks the skin, the keyboard goes down to it
  // from the first item (highlighted as the list opens) and presses Enter.
  struct Way {
    const char* how;
    int skin;
    HMENU list;
    bool mouse;
    std::function<void()> open;
  };
  const Way ways[] = {
      {"window menu, mouse", 25, systemSkins, true,
       [&] {
         // The window's icon at the left of its title bar opens the window menu.
         RECT window{}, item{};
         GetWindowRect(main_, &window);
         Click({window.left + GetSystemMetrics(SM_CXFRAME) + 10,
                (window.top + MenuBarOnScreen(main_).top) / 2});
         ASSERT_TRUE(WaitUntil([&] { return ShownItem(system, systemLast, item); }));
         MoveTo(Centre(item));
       }},
      {"menu bar, mouse", 2, barSkins, true,
       [&] {
         RECT item{};
         GetMenuItemRect(main_, bar, static_cast<UINT>(skinMenu), &item);
         Click(Centre(item));
       }},
      {"menu bar, Alt+S", 20, barSkins, false,
       [] {
         Chord({VK_MENU, 'S'});
       }},
      {"menu bar, Alt then arrows", 12, barSkins, false,
       [&] {
         Tap(VK_MENU);
         Tap(VK_RIGHT, skinMenu);
         Tap(VK_DOWN);
       }},
      {"menu bar, F10 then arrows", 29, barSkins, false,
       [&] {
         Tap(VK_F10);
         Tap(VK_RIGHT, skinMenu);
         Tap(VK_DOWN);
       }},
      {"window menu, Alt+Space", 5, systemSkins, false,
       [&] {
         Chord({VK_MENU, VK_SPACE});
         ASSERT_TRUE(WaitUntil([&] { return Shown(system); }));
         Tap(VK_UP);  // round to the last item, the skins
         Tap(VK_RIGHT);
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.how);
    SetForegroundWindow(main_);
    PumpFor(100);
    AsUser([&] {
      way.open();
      RECT item{};
      ASSERT_TRUE(WaitUntil([&] { return ShownItem(way.list, way.skin - 1, item); }));
      if (way.mouse) {
        Click(Centre(item));
      } else {
        Tap(VK_DOWN, way.skin - 1);
        Tap(VK_RETURN);
      }
    });
    for (int wait = 0; wait < 40 && skin::CurrentSkin() != way.skin; ++wait) PumpFor(50);
    ASSERT_EQ(skin::CurrentSkin(), way.skin);
    EXPECT_FALSE(AnyMenuShown());
    skin::engine::Look look;
    const auto file = skin::SkinFile(way.skin);
    ASSERT_EQ(skin::engine::ReadSkin(file.data(), file.size(), look),
              skin::engine::ReadStatus::kOk);
    EXPECT_EQ(CornerOf(main_), Colour(look.windowColor));
    EXPECT_EQ(CornerOf(second), Colour(look.windowColor));
    PumpFor(100);
    EXPECT_TRUE(BarIsInLookOf(main_, look));
    for (HMENU skins : {barSkins, systemSkins}) {
      for (int number = 1; number <= skin::kSkinCount; ++number) {
        const UINT state = GetMenuState(skins, app::SkinCommand(number), MF_BYCOMMAND);
        EXPECT_EQ((state & MF_CHECKED) != 0, number == way.skin) << number;
      }
    }
    EXPECT_NE(testing_support::SettingsFileText().find("skin=" + std::to_string(way.skin) + "\r\n"),
              std::string::npos)
        << testing_support::SettingsFileText();
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
    ASSERT_TRUE(WaitUntil([&] {
      return Shown(GetSubMenu(GetMenu(main_), app::MenuPosition(app::MenuCommand::kAbout)));
    }));
    Tap('A');
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ShownDialog()) != nullptr; }));
    shown = TextOf(box) + L"\n";
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      shown += TextOf(child) + L"\n";
    }
    Tap(VK_RETURN);
    EXPECT_TRUE(WaitUntil([] { return ShownDialog() == nullptr; }));
  });
  ASSERT_FALSE(app::win::SettingsPath().empty());
  for (const std::wstring& part : {std::wstring(L"关于\n"), std::wstring(L"v3.1"),
                                   std::wstring(sizeof(void*) == 8 ? L"x64" : L"i686"),
                                   L"设置文件：" + app::win::SettingsPath()}) {
    EXPECT_NE(shown.find(part), std::wstring::npos) << base::GbkFromWide(shown);
  }
  EXPECT_EQ(GetForegroundWindow(), main_);
}

// The client area and every control in it as in a window without the bar, at whatever DPI the
// test runs; the window is taller by exactly the bar, which lies between the title bar and the
// client area on one line.
TEST_F(MenusTest, TheBarTakesItsRoomAboveAnUnchangedClientArea) {
  struct Layout {
    SIZE outer;
    LONG clientTop;           // below the window's top edge
    std::vector<RECT> rects;  // the client area, then every control, in client coordinates
  };
  auto layoutOf = [](HWND window) {
    Layout layout{};
    RECT outer, rect;
    GetWindowRect(window, &outer);
    layout.outer = {outer.right - outer.left, outer.bottom - outer.top};
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    layout.clientTop = origin.y - outer.top;
    GetClientRect(window, &rect);
    layout.rects.push_back(rect);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      GetWindowRect(child, &rect);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
      layout.rects.push_back(rect);
    }
    return layout;
  };
  const Layout withBar = layoutOf(main_);
  DestroyWindow(main_);
  ui::win::SetMenuBarMaker([](ui::WindowId) -> HMENU { return nullptr; });
  main_ = ui::win::ShowStartWindow(kMainWindow);
  ASSERT_NE(main_, nullptr);
  const Layout without = layoutOf(main_);
  DestroyWindow(main_);
  ui::win::SetMenuBarMaker([](ui::WindowId window) -> HMENU {
    return window == kMainWindow ? app::win::CreateMenuBar(skin::CurrentSkin()) : nullptr;
  });
  main_ = ui::win::ShowStartWindow(kMainWindow);
  ASSERT_NE(main_, nullptr);
  PumpFor(50);

  ASSERT_EQ(withBar.rects.size(), without.rects.size());
  for (size_t i = 0; i < withBar.rects.size(); ++i) {
    EXPECT_TRUE(EqualRect(&withBar.rects[i], &without.rects[i])) << i;
  }
  const LONG grown = withBar.outer.cy - without.outer.cy;
  std::printf("menu bar: %ld pixels high, the window %ld by %ld (%ld by %ld without it)\n", grown,
              withBar.outer.cx, withBar.outer.cy, without.outer.cx, without.outer.cy);
  EXPECT_GT(grown, 10);
  EXPECT_EQ(withBar.outer.cx, without.outer.cx);
  EXPECT_EQ(withBar.clientTop, without.clientTop + grown);
  RECT window;
  GetWindowRect(main_, &window);
  const RECT bar = MenuBarOnScreen(main_);
  EXPECT_EQ(bar.top - window.top, without.clientTop);
  for (int item = 0; item < GetMenuItemCount(GetMenu(main_)); ++item) {
    RECT rect{};
    ASSERT_TRUE(GetMenuItemRect(main_, GetMenu(main_), static_cast<UINT>(item), &rect));
    EXPECT_TRUE(rect.top >= bar.top && rect.bottom <= bar.bottom) << "the bar wraps";
  }
}

}  // namespace
