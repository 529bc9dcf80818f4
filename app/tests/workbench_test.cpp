// The script workbench in process, with the skin engine loaded as the program loads it, driven
// only by real clicks and keys: lines built on page "执行设置" become rows, a row moved with
// Alt+Up and the move undone, the commands exported and read back from the clipboard byte for
// byte, a pasted block imported with its ambiguous split joined, and the keyboard and a screen
// reader's view of the window. Files go to a folder of the test's own.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "app/import_window_win.h"
#include "app/main_window_extras_win.h"
#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "app/window_description.h"
#include "app/workbench_window_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "compose/script_session.h"
#include "skin/skins_win.h"
#include "ui/navigation.h"
#include "ui/row_list_win.h"
#include "ui/widgets_win.h"

namespace {

using namespace ui::ids;
using testing_support::CentreOf;
using testing_support::ClickAt;
using testing_support::ClipboardBytes;
using testing_support::ClipboardWideText;
using testing_support::FindControlById;
using testing_support::PressChord;
using testing_support::PressKey;
using testing_support::PumpAsTheFrame;
using testing_support::TextOf;
using testing_support::TypeText;

std::vector<std::string> Rows() {
  compose::ScriptModel& script = compose::Session().Script();
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < script.RowCount(); ++i) rows.push_back(script.RowText(i));
  return rows;
}

class WorkbenchTest : public testing_support::ProgramFixture {
 protected:
  static void SetUpTestSuite() { SetUpProgram(L"workbench"); }

  void SetUp() override {
    compose::Session().StartNew();
    MainWindowFixture::SetUp();
    SetForegroundWindow(main_);
    PumpAsTheFrame(100);
  }

  void TearDown() override {
    app::win::DestroyWorkbench();
    MainWindowFixture::TearDown();
  }

  HWND W(ui::ControlId id) const { return FindControlById(app::win::Workbench(), id); }

  // The main window's page, chosen by a click on its tab.
  void ClickPage(int page) const {
    HWND tabs = Control(高级选择夹1);
    RECT item{};
    SendMessageW(tabs, TCM_GETITEMRECT, page - 1, reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&item), 2);
    ClickAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
  }

  // A builder row of page 2 as a user fills it: its gate, its input, its button.
  void Build(ui::ControlId gate, ui::ControlId input, const std::wstring& text,
             ui::ControlId button) const {
    ClickAt(CentreOf(Control(gate)));
    ClickAt(CentreOf(Control(input)));
    TypeText(text);
    ClickAt(CentreOf(Control(button)));
  }

  HWND OpenWorkbenchByClick() const {
    ClickAt(CentreOf(Control(按钮26)));
    PumpAsTheFrame(100);
    return app::win::Workbench();
  }

  // A click on a row of a list, in view.
  static void ClickRow(HWND list, std::size_t row) {
    RECT rect = ui::widgets::RowRect(list, row);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
  }
};

TEST_F(WorkbenchTest, BuiltLinesBecomeRowsMovedUndoneAndExportedByteForByte) {
  ClickPage(2);
  Build(单选框2, 编辑框2, L"/spawn", 按钮7);
  Build(单选框3, 编辑框3, L"give %player% diamond 5", 按钮8);
  Build(单选框4, 编辑框4, L"100 &c金币不足", 按钮9);
  // The script-line box is as it always was.
  EXPECT_EQ(TextOf(Control(编辑框16)),
            L"@command /spawn@console give %player% diamond 5$cost:100 &c金币不足");

  HWND workbench = OpenWorkbenchByClick();
  ASSERT_NE(workbench, nullptr);
  EXPECT_EQ(GetForegroundWindow(), workbench);
  HWND rows = W(kScriptRows);
  ASSERT_EQ(ui::widgets::RowCountOf(rows), 3u);
  EXPECT_EQ(ui::widgets::SelectedRow(rows), 2u) << "the newest row is selected";
  EXPECT_EQ(ui::widgets::RowNameOf(rows, 1),
            L"第2行，后台执行指令：@console give %player% diamond 5");

  PressChord({VK_MENU}, VK_UP);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"@command /spawn", "$cost:100 &c金币不足",
                                              "@console give %player% diamond 5"}));
  EXPECT_EQ(ui::widgets::SelectedRow(rows), 1u);
  PressChord({VK_CONTROL}, 'Z');
  EXPECT_EQ(Rows(), (std::vector<std::string>{"@command /spawn", "@console give %player% diamond 5",
                                              "$cost:100 &c金币不足"}));
  EXPECT_EQ(ui::widgets::SelectedRow(rows), 2u);

  // Without a name there is nothing to export: the clipboard stays as it was.
  testing_support::PutOnClipboard(L"before");
  ClickAt(CentreOf(W(kExportAll)));
  EXPECT_EQ(ClipboardWideText(), L"before");
  ClickAt(CentreOf(W(kScriptName)));
  TypeText(L"签到");
  ClickAt(CentreOf(W(kWithCreate)));
  ClickAt(CentreOf(W(kExportAll)));
  const std::wstring block =
      L"/vrnl create 签到\r\n"
      L"/vrnl add 签到 @command /spawn\r\n"
      L"/vrnl add 签到 @console give %player% diamond 5\r\n"
      L"/vrnl add 签到 $cost:100 &c金币不足";
  EXPECT_EQ(ClipboardWideText(), block);
  EXPECT_EQ(ClipboardBytes(CF_TEXT),
            "/vrnl create \xC7\xA9\xB5\xBD\r\n"
            "/vrnl add \xC7\xA9\xB5\xBD @command /spawn\r\n"
            "/vrnl add \xC7\xA9\xB5\xBD @console give %player% diamond 5\r\n"
            "/vrnl add \xC7\xA9\xB5\xBD $cost:100 &c\xBD\xF0\xB1\xD2\xB2\xBB\xD7\xE3");
  // One row's command, from the export list; both copies are in the history, newest first.
  ClickRow(W(kExportList), 1);
  ClickAt(CentreOf(W(kCopyCommand)));
  EXPECT_EQ(ClipboardWideText(), L"/vrnl add 签到 @command /spawn");
  const std::vector<std::string>& history = compose::Session().History().Entries();
  ASSERT_GE(history.size(), 2u);
  EXPECT_EQ(history[0], "/vrnl add 签到 @command /spawn");
  EXPECT_EQ(base::WideFromGbk(history[1]), block);
  EXPECT_EQ(ui::widgets::RowCountOf(W(kHistoryList)), history.size());
}

TEST_F(WorkbenchTest, APastedBlockIsImportedWithTheReadingTheUserChose) {
  compose::Session().Script().Append("@delay:20");
  // Ctrl+E in the main window opens the workbench.
  PressChord({VK_CONTROL}, 'E');
  ASSERT_NE(app::win::Workbench(), nullptr);
  testing_support::PutOnClipboard(
      L"$cost:100 &c金币不足100，无法领取@console give %player% diamond 5\r\n"
      L"/vrnl add 每日 @msg:&a签到成功");
  bool imported = false;
  testing_support::WhenLoopRuns([&]() -> bool {
    HWND import = app::win::ImportWindow();
    if (import == nullptr || !IsWindowVisible(import)) return false;
    HWND text = FindControlById(import, kPastedText);
    HWND readings = FindControlById(import, kReadingRows);
    ClickAt(CentreOf(text));
    PressChord({VK_CONTROL}, 'V');
    EXPECT_EQ(ui::widgets::RowCountOf(readings), 3u);
    EXPECT_NE(ui::widgets::RowNameOf(readings, 1).find(L"也可以读作上一行的一部分"),
              std::wstring::npos);
    // The second row is the end of the first: the shortage message names the console command.
    ClickRow(readings, 1);
    ClickAt(CentreOf(FindControlById(import, kJoinRow)));
    EXPECT_EQ(ui::widgets::RowCountOf(readings), 2u);
    ClickAt(CentreOf(FindControlById(import, kImportRows)));
    imported = true;
    return true;
  });
  ClickAt(CentreOf(W(kImportLines)));
  ASSERT_TRUE(imported);
  EXPECT_EQ(app::win::ImportWindow(), nullptr);
  EXPECT_EQ(Rows(),
            (std::vector<std::string>{
                "@delay:20", "$cost:100 &c金币不足100，无法领取@console give %player% diamond 5",
                "@msg:&a签到成功"}));
  EXPECT_EQ(compose::Session().Script().Name(), "每日") << "the name the commands gave";
  // The import is one step of undo; the name another.
  PressChord({VK_CONTROL}, 'Z');
  PressChord({VK_CONTROL}, 'Z');
  EXPECT_EQ(Rows(), std::vector<std::string>{"@delay:20"});
  EXPECT_EQ(compose::Session().Script().Name(), "");
}

// The keyboard alone: Enter edits a row by its fields and applies, Esc gives up typing, Del,
// Ctrl+D and redo; access keys reach the labelled inputs; Tab goes in reading order. A screen
// reader finds the list, its rows by their words and line, and the focused row.
TEST_F(WorkbenchTest, TheKeyboardAloneAndAScreenReader) {
  compose::Session().Script().Append("$cost:100 &c钱不够");
  compose::Session().Script().Append("@console say hi");
  ASSERT_NE(OpenWorkbenchByClick(), nullptr);
  HWND rows = W(kScriptRows);
  ASSERT_EQ(GetFocus(), rows);
  // The form shows the fields of the selected row's directive only: a console command has one.
  EXPECT_TRUE(IsWindowVisible(W(kFields[0])));
  EXPECT_FALSE(IsWindowVisible(W(kFields[1])));
  EXPECT_FALSE(IsWindowVisible(W(kFieldLabels[4])));
  PressKey(VK_UP);
  PressKey(VK_RETURN);
  ASSERT_EQ(GetFocus(), W(kFields[0]));
  EXPECT_EQ(TextOf(W(kFieldLabels[0])), L"金额：");
  EXPECT_TRUE(IsWindowVisible(W(kFields[1])));
  EXPECT_FALSE(IsWindowVisible(W(kFields[2])));
  TypeText(L"250");  // over the selected amount
  EXPECT_EQ(TextOf(W(kRawLine)), L"$cost:250 &c钱不够");
  PressKey(VK_TAB);
  TypeText(L"x");
  PressKey(VK_ESCAPE);  // gives up the typing, not the window
  EXPECT_EQ(TextOf(W(kRawLine)), L"$cost:100 &c钱不够");
  ASSERT_NE(app::win::Workbench(), nullptr);
  PressKey(VK_TAB, true);
  for (int i = 0; i < 3; ++i) PressKey(VK_BACK);
  TypeText(L"300");
  PressKey(VK_RETURN);
  EXPECT_EQ(GetFocus(), rows);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"$cost:300 &c钱不够", "@console say hi"}));
  PressChord({VK_CONTROL}, 'D');
  PressKey(VK_DELETE);
  PressKey(VK_DELETE);
  EXPECT_EQ(Rows(), std::vector<std::string>{"$cost:300 &c钱不够"});
  PressChord({VK_CONTROL}, 'Z');
  PressChord({VK_CONTROL}, 'Z');
  EXPECT_EQ(Rows(), (std::vector<std::string>{"$cost:300 &c钱不够", "$cost:300 &c钱不够",
                                              "@console say hi"}));
  PressChord({VK_CONTROL}, 'Y');
  EXPECT_EQ(Rows(), (std::vector<std::string>{"$cost:300 &c钱不够", "@console say hi"}));

  PressChord({VK_MENU}, 'M');
  EXPECT_EQ(GetFocus(), W(kScriptName));
  PressChord({VK_MENU}, 'F');
  EXPECT_EQ(GetFocus(), W(kHistorySearch));
  PressChord({VK_MENU}, 'L');
  EXPECT_EQ(GetFocus(), rows);
  const std::vector<ui::ControlId> order = {kScriptRows, kMoveRowUp, kMoveRowDown};
  for (std::size_t i = 1; i < order.size(); ++i) {
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), W(order[i])) << i;
  }

  IAccessible* list = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(rows, static_cast<DWORD>(OBJID_CLIENT),
                                       __uuidof(IAccessible), reinterpret_cast<void**>(&list)),
            S_OK);
  LONG count = 0;
  EXPECT_EQ(list->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 2);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  ASSERT_EQ(list->get_accName(self, &name), S_OK);
  EXPECT_STREQ(name, L"脚本行");
  SysFreeString(name);
  ASSERT_EQ(list->get_accKeyboardShortcut(self, &name), S_OK);
  EXPECT_STREQ(name, L"Alt+L");
  SysFreeString(name);
  VARIANT role{};
  list->get_accRole(self, &role);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_LIST);
  VARIANT second = self;
  second.lVal = 2;
  ASSERT_EQ(list->get_accName(second, &name), S_OK);
  EXPECT_STREQ(name, L"第2行，后台执行指令：@console say hi");
  SysFreeString(name);
  SetFocus(rows);
  VARIANT focus{};
  EXPECT_EQ(list->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, static_cast<LONG>(*ui::widgets::SelectedRow(rows)) + 1);
  list->Release();
}

// Moving to a monitor of another DPI lays the workbench out at that DPI, its lists included;
// moving back puts everything where it was. Every caption fits at the DPI the test runs at.
TEST_F(WorkbenchTest, LayoutFollowsTheDpiAndCaptionsFit) {
  HWND workbench = OpenWorkbenchByClick();
  ASSERT_NE(workbench, nullptr);
  const ui::WindowDescription& description =
      *ui::FindWindowDescription(app::WindowDescriptions(), kWorkbenchWindow);
  const int before = ui::widgets::LayoutDpiOf(workbench);
  if (const char* expected = std::getenv("COMPOSER_TEST_LAYOUT_DPI")) {
    EXPECT_EQ(before, std::atoi(expected));
  }
  for (const ui::Element& element : description.elements) {
    HWND hwnd = W(element.id);
    ASSERT_NE(hwnd, nullptr) << element.id;
    if (element.kind != ui::Kind::kButton && element.kind != ui::Kind::kCheckBox) continue;
    const std::wstring caption = base::WideFromGbk(ui::WithoutAccessMarks(element.caption));
    SIZE extent{};
    {
      const base::ScopedGetDc dc(hwnd);
      const base::ScopedSelect font(dc,
                                    reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    const int mark = element.kind == ui::Kind::kCheckBox ? ui::ScaleForDpi(19, before) : 0;
    EXPECT_LE(extent.cx + mark, client.right) << element.id;
  }
  RECT listBefore{};
  GetWindowRect(W(kScriptRows), &listBefore);
  RECT suggested{};
  GetWindowRect(workbench, &suggested);
  const int target = before == 96 ? 120 : 96;
  SendMessageW(workbench, WM_DPICHANGED, MAKEWPARAM(target, target),
               reinterpret_cast<LPARAM>(&suggested));
  // Shrunk only as far as the screen needs.
  const int layout = ui::widgets::LayoutDpiOf(workbench);
  EXPECT_LE(layout, target);
  EXPECT_GT(layout, target == 96 ? 95 : 96);
  RECT listAt{};
  GetWindowRect(W(kScriptRows), &listAt);
  EXPECT_NEAR(listAt.right - listAt.left, ui::ScaleForDpi(584, layout), 2);
  GetWindowRect(workbench, &suggested);
  SendMessageW(workbench, WM_DPICHANGED, MAKEWPARAM(before, before),
               reinterpret_cast<LPARAM>(&suggested));
  RECT listAfter{};
  GetWindowRect(W(kScriptRows), &listAfter);
  EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left);
  EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top);
}

}  // namespace
