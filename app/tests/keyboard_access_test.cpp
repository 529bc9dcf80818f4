// The main window from the keyboard alone and through the accessibility interface, as a user
// without a mouse or with a screen reader meets it: keys go through the frame's own translation
// as its message loop does, names and descriptions are read with AccessibleObjectFromWindow.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "app/window_description.h"
#include "base/skin_parts.h"
#include "base/text_win.h"
#include "compose/directive_tips.h"
#include "ui/frame_win.h"
#include "ui/hypertext.h"
#include "ui/navigation.h"

namespace {

using namespace ui::ids;
using testing_support::TextOf;

class KeyboardTest : public testing_support::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    SetForegroundWindow(main_);
    Pump();
  }

  static const ui::WindowDescription& Description() {
    return *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  }

  // Messages as the frame's loop handles them.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      if (!ui::win::TranslateProgramKeys(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }

  // A key pressed and released on the focused control, with Shift or Ctrl held.
  static void Press(UINT key, bool shift = false, bool control = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    Pump();
    PostMessageW(GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    Pump();
    keys[VK_SHIFT] = keys[VK_LSHIFT] = keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
  }

  static void Type(const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(GetFocus(), WM_CHAR, c, 1);
    Pump();
  }

  ui::ControlId Focused() const { return static_cast<ui::ControlId>(GetDlgCtrlID(GetFocus())); }
  void SelectPage(int page) const {
    SendMessageW(Control(高级选择夹1), TCM_SETCURSEL, page - 1, 0);
  }
  int Page() const {
    return static_cast<int>(SendMessageW(Control(高级选择夹1), TCM_GETCURSEL, 0, 0)) + 1;
  }
  void Focus(ui::ControlId id) const {
    SetFocus(Control(id));
    Pump();
  }
};

// A user checks a gate, types a command and presses Enter: the row's exact line, the typed text
// kept and the focus left in the input for the next one.
TEST_F(KeyboardTest, EnterInAnInputRunsItsRowAsItsButtonWould) {
  SelectPage(2);
  Focus(高级选择夹1);
  for (int i = 0; i < 4; ++i) Press(VK_TAB);
  ASSERT_EQ(Focused(), 单选框2);
  Press(VK_SPACE);
  EXPECT_EQ(SendMessageW(Control(单选框2), BM_GETCHECK, 0, 0), BST_CHECKED);
  Press(VK_TAB);
  ASSERT_EQ(Focused(), 编辑框2);
  Type(L"/spawn");
  Press(VK_RETURN);
  EXPECT_EQ(TextOf(Control(编辑框16)), L"@command /spawn");
  EXPECT_EQ(TextOf(Control(编辑框2)), L"/spawn");
  EXPECT_EQ(Focused(), 编辑框2);

  // Another gated row's input: its gate is not checked, so nothing is added.
  Focus(编辑框1);
  Type(L"/heal");
  Press(VK_RETURN);
  EXPECT_EQ(TextOf(Control(编辑框16)), L"@command /spawn");

  // Any input of a row with several runs the whole row.
  Focus(编辑框7);
  Type(L"sub");
  Focus(单选框6);
  Press(VK_SPACE);
  Focus(编辑框6);
  Type(L"main");
  Press(VK_RETURN);
  EXPECT_EQ(TextOf(Control(编辑框16)), L"@command /spawn@title:main##sub##10##60##10");

  // Page 3's rows have no gate.
  SelectPage(3);
  Focus(编辑框17);
  Type(L"20");
  Press(VK_RETURN);
  EXPECT_EQ(TextOf(Control(编辑框16)), L"@command /spawn@title:main##sub##10##60##10@delay:20");
}

TEST_F(KeyboardTest, EnterOnAChoosersComboBoxRunsItsButton) {
  SendMessageW(Control(组合框4), CB_SETCURSEL, 0, 0);
  Focus(组合框4);
  Press(VK_RETURN);
  EXPECT_EQ(TextOf(Control(编辑框15)), L"/vrnl reload");
  EXPECT_EQ(Focused(), 组合框4);
}

// Tab and Shift+Tab walk every page in the order computed from the description, round the end.
TEST_F(KeyboardTest, TabFollowsTheReadingOrderOfTheShownPage) {
  for (int page = 1; page <= 4; ++page) {
    SelectPage(page);
    Focus(高级选择夹1);
    std::vector<ui::ControlId> visited = {Focused()};
    for (int i = 0; i < 60; ++i) {
      Press(VK_TAB);
      if (Focused() == 高级选择夹1) break;
      visited.push_back(Focused());
    }
    EXPECT_EQ(visited, ui::TabOrder(Description(), page)) << "page " << page;
    Press(VK_TAB, true);
    EXPECT_EQ(Focused(), 按钮22) << "page " << page;
    Press(VK_TAB, true);
    EXPECT_EQ(Focused(), 按钮21) << "page " << page;
    EXPECT_EQ(Page(), page);
  }
}

// Real key strokes through the item row: each Tab lands on the row's next input, so text typed
// at each stop fills the four inputs in order, and the row's button comes after them.
TEST_F(KeyboardTest, TabFillsTheItemRowInOrderAndThenReachesItsButton) {
  SelectPage(2);
  testing_support::ClickAt(testing_support::CentreOf(Control(单选框7)));
  ASSERT_EQ(Focused(), 单选框7);
  const std::pair<ui::ControlId, std::wstring> stops[] = {
      {编辑框8, L"57"}, {编辑框9, L"&b&l点券"}, {编辑框10, L"100"}, {编辑框11, L"&c不足"}};
  for (const auto& [input, text] : stops) {
    testing_support::PressKey(VK_TAB);
    ASSERT_EQ(Focused(), input);
    testing_support::TypeText(text);
  }
  testing_support::PressKey(VK_TAB);
  EXPECT_EQ(Focused(), 按钮13);
  for (const auto& [input, text] : stops) EXPECT_EQ(TextOf(Control(input)), text) << input;
  testing_support::PressKey(VK_SPACE);
  EXPECT_EQ(TextOf(Control(编辑框16)), L"$item:57#####&b&l点券 100 &c不足");
  testing_support::PressKey(VK_TAB, true);
  EXPECT_EQ(Focused(), 编辑框11);
}

TEST_F(KeyboardTest, CtrlTabTurnsPagesWithoutLosingTheFocusedInput) {
  Focus(编辑框16);
  Type(L"kept");
  Press(VK_TAB, false, true);
  EXPECT_EQ(Page(), 2);
  EXPECT_EQ(Focused(), 编辑框16);
  Press(VK_TAB, true, true);
  Press(VK_TAB, true, true);
  EXPECT_EQ(Page(), 4);
  EXPECT_EQ(TextOf(Control(编辑框16)), L"kept");
  // Focus on the page that goes moves to the tab control, where it stays visible.
  Focus(按钮12);
  Press(VK_TAB, false, true);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(Focused(), 高级选择夹1);
}

std::wstring Read(IAccessible* accessible,
                  HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, BSTR*)) {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if ((accessible->*property)(self, &text) != S_OK || text == nullptr) return L"<none>";
  std::wstring result(text, SysStringLen(text));
  SysFreeString(text);
  return result;
}

// A screen reader hears every input by its row's name, and a tip's text as its description.
TEST_F(KeyboardTest, EveryInputHasItsRowsNameAndItsTipAsDescription) {
  std::map<ui::ControlId, std::wstring> tips;
  for (const compose::DirectiveTip& tip : compose::DirectiveTips()) {
    tips[tip.target] = base::WideFromGbk(ui::PlainText(ui::ParseHypertext(tip.text)));
  }
  int inputs = 0;
  for (const ui::Element& element : Description().elements) {
    if (element.kind != ui::Kind::kEditBox && element.kind != ui::Kind::kComboBox) continue;
    SCOPED_TRACE(base::GbkFromWide(base::WideFromGbk(element.name)));
    IAccessible* accessible = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(Control(element.id), OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&accessible)),
              S_OK);
    EXPECT_EQ(Read(accessible, &IAccessible::get_accName),
              base::WideFromGbk(ui::AccessibleName(Description(), element)));
    if (tips.count(element.id)) {
      EXPECT_EQ(Read(accessible, &IAccessible::get_accDescription), tips[element.id]);
    }
    // The rest is the system's: an edit box is still an editable text.
    if (element.kind == ui::Kind::kEditBox) {
      VARIANT self{};
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      VARIANT role{};
      ASSERT_EQ(accessible->get_accRole(self, &role), S_OK);
      EXPECT_EQ(role.lVal, ROLE_SYSTEM_TEXT);
    }
    accessible->Release();
    ++inputs;
  }
  EXPECT_EQ(inputs, 21);
  EXPECT_EQ(tips.size(), 12u);
}

}  // namespace
