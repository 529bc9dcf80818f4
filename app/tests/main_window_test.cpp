// The real main window in this process: built from the description, driven with real messages
// (WM_SETTEXT, BM_CLICK, TCM_SETCURSEL) or real clicks, read back with WM_GETTEXT and the
// clipboard.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "app/window_description.h"
#include "base/scoped_win.h"
#include "base/skin_parts.h"
#include "base/text_win.h"
#include "compose/builders.h"
#include "ui/fonts_win.h"
#include "ui/frame_win.h"
#include "ui/navigation.h"
#include "ui/note_popup_win.h"
#include "ui/widgets_win.h"

namespace {

using namespace ui::ids;
using testing_support::FindControlById;
using testing_support::TextOf;

// The DPI the window's layout is scaled to.
int LayoutDpi(HWND window) {
  const auto dpi =
      static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, base::skin_parts::kDpiProperty)));
  return dpi != 0 ? dpi : 96;
}

class MainWindowTest : public testing_support::MainWindowFixture {
 protected:
  void SetText(ui::ControlId id, const std::wstring& text) const {
    SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  std::wstring Text(ui::ControlId id) const { return TextOf(Control(id)); }
  void Click(ui::ControlId id) const { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  bool Checked(ui::ControlId id) const {
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SelectPage(int page) const {
    SendMessageW(Control(高级选择夹1), TCM_SETCURSEL, page - 1, 0);
  }
};

// Every control can be found by its identifier, sits where the description puts it and shows
// its caption; the window has its exact title, size and frame. Above 96 DPI every rectangle is
// the described one scaled to the window's layout DPI, within a pixel.
TEST_F(MainWindowTest, WindowMatchesItsDescription) {
  const ui::WindowDescription& description =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  const int dpi = LayoutDpi(main_);
  const int slack = dpi == 96 ? 0 : 1;
  EXPECT_EQ(TextOf(main_), L"岚式脚本方块编辑器v3.1（Varnel）");
  RECT outer;
  GetWindowRect(main_, &outer);
  if (dpi == 96) {
    EXPECT_EQ(outer.right - outer.left, 880);
    EXPECT_EQ(outer.bottom - outer.top, 528);
  }
  const LONG style = GetWindowLongW(main_, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  HWND tab = Control(高级选择夹1);
  RECT tabRect;
  GetWindowRect(tab, &tabRect);
  for (const ui::Element& element : description.elements) {
    if (element.kind == ui::Kind::kTimer || element.kind == ui::Kind::kBalloonTip) continue;
    SCOPED_TRACE(base::GbkFromWide(base::WideFromGbk(element.name)));
    HWND hwnd = Control(element.id);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(static_cast<ui::ControlId>(GetDlgCtrlID(hwnd)), element.id);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    const base::Rect want = ui::ScaleRectForDpi(element.rect, dpi);
    if (element.kind != ui::Kind::kComboBox) {  // a combo box's window includes its list
      EXPECT_NEAR(rect.bottom - rect.top, want.height, slack);
    }
    EXPECT_NEAR(rect.right - rect.left, want.width, slack);
    // Position relative to the parent named by the description; children of the tab control
    // are relative to the whole tab control.
    POINT origin{0, 0};
    if (element.parent == 0) {
      ClientToScreen(main_, &origin);
    } else if (element.parent == 高级选择夹1) {
      origin = {tabRect.left, tabRect.top};
    } else {
      ClientToScreen(Control(element.parent), &origin);
    }
    EXPECT_NEAR(rect.left - origin.x, want.left, slack);
    EXPECT_NEAR(rect.top - origin.y, want.top, slack);
    if (element.kind == ui::Kind::kButton || element.kind == ui::Kind::kRadioBox ||
        element.kind == ui::Kind::kTransLabel || element.kind == ui::Kind::kGroupBox) {
      EXPECT_EQ(TextOf(hwnd), base::WideFromGbk(element.caption));
    }
    if (element.kind == ui::Kind::kComboBox) {
      EXPECT_EQ(SendMessageW(hwnd, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(element.items.size()));
      EXPECT_EQ(SendMessageW(hwnd, CB_GETCURSEL, 0, 0), CB_ERR);
    }
    if (element.kind == ui::Kind::kRadioBox) {
      EXPECT_FALSE(Checked(element.id));
    }
    if (element.kind == ui::Kind::kEditBox) {
      EXPECT_EQ(TextOf(hwnd), L"");
    }
  }
  EXPECT_EQ(Text(按钮13), L"生成脚\r\n本行");
  EXPECT_EQ(Text(按钮14), L"详细\r\n图解");
}

// Where each control of the window lies in its client area.
std::vector<RECT> ControlRects(HWND main, HWND (*find)(HWND, ui::ControlId)) {
  std::vector<RECT> rects;
  for (const ui::Element& element :
       ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow)->elements) {
    if (element.kind == ui::Kind::kTimer || element.kind == ui::Kind::kBalloonTip) continue;
    RECT rect{};
    GetWindowRect(find(main, element.id), &rect);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
    rects.push_back(rect);
  }
  return rects;
}

// Moving to a monitor of another DPI lays the window out again at that DPI; moving back puts
// every control exactly where it was.
TEST_F(MainWindowTest, DpiChangeScalesEveryControlAndBackAgain) {
  const ui::WindowDescription& description =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  const int before = LayoutDpi(main_);
  const std::vector<RECT> original = ControlRects(main_, &FindControlById);
  RECT suggested{};
  GetWindowRect(main_, &suggested);
  const int target = before == 96 ? 120 : 96;
  SendMessageW(main_, WM_DPICHANGED, MAKEWPARAM(target, target),
               reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(LayoutDpi(main_), target);
  const std::vector<RECT> moved = ControlRects(main_, &FindControlById);
  size_t index = 0;
  for (const ui::Element& element : description.elements) {
    if (element.kind == ui::Kind::kTimer || element.kind == ui::Kind::kBalloonTip) continue;
    SCOPED_TRACE(base::GbkFromWide(base::WideFromGbk(element.name)));
    const RECT& got = moved[index++];
    if (!IsWindowVisible(Control(element.id))) continue;
    // Rounded once per level of nesting: within two pixels of the whole rectangle scaled.
    const base::Rect want = ui::ScaleRectForDpi(ui::PlacedRect(description, element), target);
    EXPECT_NEAR(got.left, want.left, 2);
    EXPECT_NEAR(got.top, want.top, 2);
    EXPECT_NEAR(got.right - got.left, want.width, 2);
    if (element.kind != ui::Kind::kComboBox) {
      EXPECT_NEAR(got.bottom - got.top, want.height, 2);
    }
  }
  GetWindowRect(main_, &suggested);
  SendMessageW(main_, WM_DPICHANGED, MAKEWPARAM(before, before),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(LayoutDpi(main_), before);
  const std::vector<RECT> back = ControlRects(main_, &FindControlById);
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_TRUE(EqualRect(&back[i], &original[i])) << i;
  }
  RECT outer{};
  GetWindowRect(main_, &outer);
  if (before == 96) {
    EXPECT_EQ(outer.right - outer.left, 880);
    EXPECT_EQ(outer.bottom - outer.top, 528);
  }
}

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
  reinterpret_cast<std::set<std::wstring>*>(faces)->insert(font->lfFaceName);
  return 1;
}

// Every control's font is a face the system has: a face the description names but the system
// lacks gives way to one that shows Chinese.
TEST_F(MainWindowTest, EveryFontIsAnInstalledFace) {
  std::set<std::wstring> installed;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(base::ScopedGetDc(nullptr), &all, CollectFace,
                      reinterpret_cast<LPARAM>(&installed), 0);
  const ui::WindowDescription& description =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  for (const ui::Element& element : description.elements) {
    if (element.kind == ui::Kind::kTimer || element.kind == ui::Kind::kBalloonTip) continue;
    auto font = reinterpret_cast<HFONT>(SendMessageW(Control(element.id), WM_GETFONT, 0, 0));
    LOGFONTW logical{};
    ASSERT_NE(GetObjectW(font, sizeof logical, &logical), 0) << element.id;
    EXPECT_EQ(installed.count(logical.lfFaceName), 1u) << element.id;
  }
  EXPECT_EQ(installed.count(ui::widgets::ResolveFace(L"No Such Face")), 1u);
}

TEST_F(MainWindowTest, OnlyTheCurrentPagesControlsAreVisible) {
  EXPECT_TRUE(IsWindowVisible(Control(按钮1)));
  EXPECT_FALSE(IsWindowVisible(Control(按钮6)));
  SelectPage(2);
  EXPECT_FALSE(IsWindowVisible(Control(按钮1)));
  EXPECT_TRUE(IsWindowVisible(Control(按钮6)));
  EXPECT_FALSE(IsWindowVisible(Control(按钮15)));
  SelectPage(3);
  EXPECT_TRUE(IsWindowVisible(Control(按钮15)));
  // The right-hand side belongs to no page.
  EXPECT_TRUE(IsWindowVisible(Control(编辑框16)));
}

TEST_F(MainWindowTest, ClickingTheTabHeaderSwitchesPages) {
  HWND tab = Control(高级选择夹1);
  RECT item;
  SendMessageW(tab, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(tab, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(IsWindowVisible(Control(按钮15)));
  EXPECT_FALSE(IsWindowVisible(Control(按钮1)));
}

BOOL CALLBACK FindTooltipOf(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(param);
  wchar_t className[32] = {};
  GetClassNameW(hwnd, className, 32);
  if (GetWindow(hwnd, GW_OWNER) == search->first && lstrcmpiW(className, TOOLTIPS_CLASSW) == 0) {
    search->second = hwnd;
    return FALSE;
  }
  return TRUE;
}

TEST_F(MainWindowTest, EachTabShowsItsPagesHint) {
  std::pair<HWND, HWND> search{main_, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindTooltipOf, reinterpret_cast<LPARAM>(&search));
  HWND tooltip = search.second;
  ASSERT_NE(tooltip, nullptr);
  ASSERT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 4);
  const ui::Element& tabs = *ui::FindElement(
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow), 高级选择夹1);
  for (UINT page = 0; page < 4; ++page) {
    wchar_t text[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = Control(高级选择夹1);
    tool.uId = page;
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), base::WideFromGbk(tabs.pages[page].hint));
  }
}

TEST_F(MainWindowTest, CommandLineTwiceWithoutSeparator) {
  SelectPage(2);
  Click(单选框2);
  SetText(编辑框2, L"/spawn");
  Click(按钮7);
  Click(按钮7);
  EXPECT_EQ(Text(编辑框16), L"@command /spawn@command /spawn");
}

TEST_F(MainWindowTest, CheckingARadioBoxUnchecksTheOthersOnItsPage) {
  SelectPage(2);
  Click(单选框1);
  Click(单选框3);
  EXPECT_FALSE(Checked(单选框1));
  EXPECT_TRUE(Checked(单选框3));
  for (ui::ControlId gate : {单选框2, 单选框4, 单选框5, 单选框6, 单选框7}) {
    EXPECT_FALSE(Checked(gate));
  }
  SetText(编辑框1, L"/heal");
  SetText(编辑框3, L"/say 服务器即将重启");
  for (ui::ControlId button : {按钮6, 按钮7, 按钮9, 按钮10, 按钮11, 按钮13}) Click(button);
  EXPECT_EQ(Text(编辑框16), L"");
  Click(按钮8);
  EXPECT_EQ(Text(编辑框16), L"@console /say 服务器即将重启");
}

TEST_F(MainWindowTest, PagesKeepRadioChoiceAndInputsWhenSwitching) {
  SelectPage(2);
  Click(单选框6);
  SetText(编辑框6, L"主");
  SetText(编辑框7, L"副");
  SelectPage(3);
  SetText(编辑框17, L"20");
  SelectPage(2);
  EXPECT_TRUE(Checked(单选框6));
  EXPECT_EQ(Text(编辑框6), L"主");
  Click(按钮11);
  SelectPage(3);
  EXPECT_EQ(Text(编辑框17), L"20");
  Click(按钮23);
  EXPECT_EQ(Text(编辑框16), L"@title:主##副##10##60##10@delay:20");
}

TEST_F(MainWindowTest, PageThreeRowsNeedNoGate) {
  SelectPage(3);
  SetText(编辑框12, L"essentials.fly &c你必须拥有飞行权限才能使用它！");
  SetText(编辑框13, L">=30 &c你必须达到30级才能使用它！");
  SetText(编辑框14, L"<10 x");
  Click(按钮15);
  Click(按钮16);
  Click(按钮17);
  EXPECT_EQ(Text(编辑框16),
            L"@perm:essentials.fly &c你必须拥有飞行权限才能使用它！"
            L"@papi:%player_level%>=30 &c你必须达到30级才能使用它！"
            L"@papi:%player_health%<10 x");
}

TEST_F(MainWindowTest, CopyPutsGbkAndUnicodeTextOnTheClipboard) {
  SelectPage(2);
  Click(单选框7);
  SetText(编辑框8, L"57");
  SetText(编辑框9, L"&b&l点券");
  SetText(编辑框10, L"100");
  SetText(编辑框11, L"&c你必须拥有3个名为&b&l点券&c的钻石块才能使用它！你当前有%amount%个！");
  Click(按钮13);
  const std::wstring expected =
      L"$item:57#####&b&l点券 100 "
      L"&c你必须拥有3个名为&b&l点券&c的钻石块才能使用它！你当前有%amount%个！";
  EXPECT_EQ(Text(编辑框16), expected);
  Click(按钮21);
  // The narrow literal is GBK: the tests are compiled with the program's execution charset.
  EXPECT_EQ(testing_support::ClipboardBytes(CF_TEXT),
            "$item:57#####&b&l点券 100 "
            "&c你必须拥有3个名为&b&l点券&c的钻石块才能使用它！你当前有%amount%个！");
  EXPECT_EQ(testing_support::ClipboardWideText(), expected);
  // 点 is B5 E3 in GBK.
  const std::string bytes = testing_support::ClipboardBytes(CF_TEXT);
  EXPECT_NE(bytes.find("\xB5\xE3"), std::string::npos);
}

// Copy on an empty box, clicked as a user clicks: what the clipboard held stays, and a note at
// the button says so.
TEST_F(MainWindowTest, CopyOfAnEmptyBoxKeepsTheClipboardAndSaysSo) {
  SetForegroundWindow(main_);
  testing_support::PutOnClipboard(L"something else");
  for (const auto& [clear, copy] : {std::pair{按钮22, 按钮21}, std::pair{按钮20, 按钮19}}) {
    testing_support::ClickAt(testing_support::CentreOf(Control(clear)));
    testing_support::ClickAt(testing_support::CentreOf(Control(copy)));
    EXPECT_EQ(testing_support::ClipboardWideText(), L"something else") << copy;
    HWND note = ui::widgets::ShownNote();
    ASSERT_NE(note, nullptr) << copy;
    EXPECT_EQ(TextOf(note), L"没有可复制的内容，剪贴板未改变");
    // Beside the button, not over it.
    RECT noteRect, button, overlap;
    GetWindowRect(note, &noteRect);
    GetWindowRect(Control(copy), &button);
    EXPECT_FALSE(IntersectRect(&overlap, &noteRect, &button));
  }
  EXPECT_EQ(Text(编辑框16), L"");
}

TEST_F(MainWindowTest, CommandBoxCopyAndClear) {
  SetText(编辑框15, L"/vrnl reload");
  Click(按钮19);
  EXPECT_EQ(testing_support::ClipboardWideText(), L"/vrnl reload");
  Click(按钮20);
  EXPECT_EQ(Text(编辑框15), L"");
}

TEST_F(MainWindowTest, TextTypedIntoTheOutputBoxStaysInFront) {
  SetText(编辑框16, L"- '@bypass /heal %player%'\r\n- ");
  SelectPage(3);
  SetText(编辑框17, L"20");
  Click(按钮23);
  EXPECT_EQ(Text(编辑框16), L"- '@bypass /heal %player%'\r\n- @delay:20");
}

TEST_F(MainWindowTest, CharactersOutsideGbkDoNotDisturbTheRestOfTheLine) {
  SelectPage(2);
  Click(单选框5);
  // A character outside the basic plane and one GBK lacks, between ordinary text.
  SetText(编辑框5, L"前\U0001F600中\u0E01后");
  Click(按钮10);
  EXPECT_EQ(Text(编辑框16), L"@msg:前\U0001F600中\u0E01后");
}

// What the user typed, in the output box and in an input, survives builder clicks and copying
// character for character: an emoji (a surrogate pair), lone surrogates, the snowman U+2603 and
// U+FFFD, none of which GBK can hold. CF_TEXT shows each UTF-16 unit GBK lacks as '?'.
TEST_F(MainWindowTest, CharactersOutsideGbkSurviveBuildersAndCopying) {
  const std::wstring typed = L"我的脚本\U0001F600\u2603:\xD800";
  const std::wstring input = L"/spawn \xDC00\uFFFD\U0001F600\u2603";
  SetText(编辑框16, typed);
  SendMessageW(Control(编辑框16), EM_SETSEL, 3, 5);  // a selection inside the emoji's halves
  SelectPage(2);
  Click(单选框2);
  SetText(编辑框2, input);
  Click(按钮7);
  Click(按钮7);
  const std::wstring expected = typed + L"@command " + input + L"@command " + input;
  EXPECT_EQ(Text(编辑框16), expected);
  // As after writing the whole text: caret and view at the start.
  DWORD start = 1, end = 1;
  SendMessageW(Control(编辑框16), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);

  Click(按钮21);
  EXPECT_EQ(testing_support::ClipboardWideText(), expected);
  const std::string line = "@command /spawn ?????";
  EXPECT_EQ(testing_support::ClipboardBytes(CF_TEXT),
            "\xCE\xD2\xB5\xC4\xBD\xC5\xB1\xBE"  // 我的脚本
            "???:?" +
                line + line);
}

TEST_F(MainWindowTest, TensOfKilobytesAreJoinedWithoutLoss) {
  SelectPage(2);
  Click(单选框3);
  std::wstring big;
  for (int i = 0; i < 30000; ++i) big += (i % 2 ? L'点' : L'a');
  SetText(编辑框3, big);
  EXPECT_EQ(Text(编辑框3).size(), big.size());
  Click(按钮8);
  Click(按钮8);
  EXPECT_EQ(Text(编辑框16), L"@console " + big + L"@console " + big);
}

// Typing, choosing a combo box item and checking a radio box have no handlers: nothing but the
// control itself changes.
TEST_F(MainWindowTest, EventsWithoutHandlersChangeNothingElse) {
  SetText(编辑框15, L"/vrnl reload");
  SetText(编辑框16, L"@delay:20");
  HWND combo = Control(组合框2);
  SendMessageW(combo, CB_SETCURSEL, 1, 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  SendMessageW(Control(编辑框1), WM_CHAR, L'x', 0);
  SelectPage(2);
  Click(单选框4);
  EXPECT_EQ(Text(编辑框15), L"/vrnl reload");
  EXPECT_EQ(Text(编辑框16), L"@delay:20");
  EXPECT_EQ(Text(编辑框1), L"x");
}

// The widest line of a control's caption in the control's font, as the system's own text
// layout measures it (every character counted, an access key's "&" too).
int CaptionWidth(HWND control) {
  const std::wstring text = TextOf(control);
  const base::ScopedGetDc dc(control);
  const base::ScopedSelect font(dc,
                                reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT bounds{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_NOPREFIX);
  return bounds.right;
}

// At every DPI the captions of buttons, radio boxes and framed groups fit inside their controls
// (labels shrink their own font to fit), and the window fits the screen's work area.
TEST_F(MainWindowTest, CaptionsFitTheirControlsAndTheWindowFitsTheScreen) {
  const ui::WindowDescription& description =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  const int dpi = LayoutDpi(main_);
  if (const char* expected = std::getenv("COMPOSER_TEST_LAYOUT_DPI")) {
    EXPECT_EQ(dpi, std::atoi(expected));
  }
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT outer{};
  GetWindowRect(main_, &outer);
  if (dpi > 96) {
    EXPECT_GE(outer.left, work.left);
    EXPECT_GE(outer.top, work.top);
    EXPECT_LE(outer.right, work.right);
    EXPECT_LE(outer.bottom, work.bottom);
  }
  for (int page = 1; page <= 4; ++page) {
    SelectPage(page);
    for (const ui::Element& element : description.elements) {
      HWND hwnd = Control(element.id);
      if (hwnd == nullptr || !IsWindowVisible(hwnd) || element.caption.empty()) continue;
      SCOPED_TRACE(base::GbkFromWide(base::WideFromGbk(element.name)));
      RECT rect{};
      GetClientRect(hwnd, &rect);
      const int room = rect.right;
      const int mark = ui::ScaleForDpi(19, dpi);  // a radio box's mark and the gap after it
      switch (element.kind) {
        case ui::Kind::kButton: {
          // Buttons break a caption too wide for one line between characters: the lines it
          // takes must fit the button's height.
          TEXTMETRICW metrics{};
          {
            const base::ScopedGetDc dc(hwnd);
            const base::ScopedSelect font(
                dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
            GetTextMetricsW(dc, &metrics);
          }
          const int pad = ui::ScaleForDpi(4, dpi);
          const std::wstring caption = TextOf(hwnd);
          const int breaks = static_cast<int>(std::count(caption.begin(), caption.end(), L'\n'));
          const int lines =
              std::max(breaks + 1, (CaptionWidth(hwnd) + room - 2 * pad - 1) / (room - 2 * pad));
          EXPECT_LE(lines * metrics.tmHeight, rect.bottom);
          break;
        }
        case ui::Kind::kRadioBox:
          EXPECT_LE(CaptionWidth(hwnd) + mark, room);
          break;
        case ui::Kind::kGroupBox:
          EXPECT_LE(CaptionWidth(hwnd) + ui::ScaleForDpi(20, dpi), room);
          break;
        default:
          break;
      }
    }
  }
}

TEST_F(MainWindowTest, TwoLineButtonCaptionsAreMultiline) {
  SelectPage(2);
  for (ui::ControlId button : {按钮13, 按钮14}) {
    EXPECT_TRUE(GetWindowLongW(Control(button), GWL_STYLE) & BS_MULTILINE);
  }
}

TEST_F(MainWindowTest, LabelRewriteLeavesNoTraceOfTheOldText) {
  HWND label = Control(透明标签20);
  const std::vector<COLORREF> blank = testing_support::RenderPixels(label);
  SetWindowTextW(label, L"2026年12月8日12时31分36秒");
  const std::vector<COLORREF> written = testing_support::RenderPixels(label);
  EXPECT_NE(written, blank);
  SetWindowTextW(label, L"");
  EXPECT_EQ(testing_support::RenderPixels(label), blank);
  SetWindowTextW(label, L"1");
  SetWindowTextW(label, L"2026年12月8日12时31分36秒");
  EXPECT_EQ(testing_support::RenderPixels(label), written);
}

}  // namespace
