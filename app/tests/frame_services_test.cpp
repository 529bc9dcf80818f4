// Frame services on real windows: modal secondary windows, the text prompt dialog, appending to
// an edit box, combo box items, and declared external functions with their stack check.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "app/window_description.h"
#include "base/gbk.h"
#include "base/runtime.h"
#include "base/text_win.h"
#include "compose/reference_texts.h"
#include "ui/frame.h"
#include "ui/frame_win.h"
#include "ui/png_picture.h"
#include "ui/prompt_dialog_win.h"

namespace {

using namespace ui::ids;
using testing_support::FindComposerWindow;
using testing_support::FindControlById;
using testing_support::TextOf;
using testing_support::WhenLoopRuns;

using FrameServicesTest = testing_support::MainWindowFixture;

// The one conversion: every UTF-16 unit comes back unchanged, lone surrogates and units of the
// private use area included; text GBK can hold gives exactly the system's code page 936 bytes.
TEST(TextConversion, EveryUnitComesBackAndGbkStaysByteExact) {
  std::wstring all;
  for (unsigned unit = 1; unit < 0x10000; ++unit) all += static_cast<wchar_t>(unit);
  all += all.substr(0xD800 - 1, 0x800);  // surrogates again, now after other surrogates
  EXPECT_EQ(base::WideFromGbk(base::GbkFromWide(all)), all);
  // CF_TEXT made straight from UTF-16 is what the GBK text shows a code-page-936 reader.
  EXPECT_EQ(base::PlainGbkFromWide(all), base::PlainGbk(base::GbkFromWide(all)));

  const std::wstring gbk = L"点券 &b&l\u20AC\u00B7「」ａ";
  char system[64] = {};
  const int length = WideCharToMultiByte(936, 0, gbk.c_str(), static_cast<int>(gbk.size()), system,
                                         sizeof system, nullptr, nullptr);
  EXPECT_EQ(base::GbkFromWide(gbk), std::string(system, static_cast<size_t>(length)));
  EXPECT_EQ(base::PlainGbkFromWide(gbk), std::string(system, static_cast<size_t>(length)));
  EXPECT_EQ(base::GbkFromWide(L"a\u2603"),
            "a\xFF"
            "2603");
  EXPECT_EQ(base::WideFromGbk("\xB5\xE3\xFF"
                              "D83D\xFF"
                              "DE00"),
            L"点\U0001F600");
}

struct SecondaryWindowSeen {
  bool found = false;
  std::wstring title;
  SIZE size{};
  std::wstring text;
  bool mainEnabled = true;
  bool hasControl = false;
  std::vector<COLORREF> pixels;  // the control as it draws itself
  int width = 0;
};

// Clicks the button, which opens a window modally; while it is open, looks at it, optionally
// edits its rich edit text, and closes it.
SecondaryWindowSeen OpenAndInspect(HWND button, ui::WindowId window, ui::ControlId control,
                                   HWND main, const wchar_t* edit = nullptr) {
  SecondaryWindowSeen seen;
  WhenLoopRuns([&] {
    HWND secondary = FindComposerWindow(window);
    if (secondary == nullptr) return false;
    seen.found = true;
    seen.title = TextOf(secondary);
    RECT rect;
    GetWindowRect(secondary, &rect);
    seen.size = {rect.right - rect.left, rect.bottom - rect.top};
    HWND child = FindControlById(secondary, control);
    seen.hasControl = child != nullptr;
    if (child != nullptr) {
      seen.text = TextOf(child);
      seen.pixels = testing_support::RenderPixels(child);
      RECT client;
      GetClientRect(child, &client);
      seen.width = client.right;
      if (edit != nullptr) SetWindowTextW(child, edit);
    }
    seen.mainEnabled = IsWindowEnabled(main);
    PostMessageW(secondary, WM_CLOSE, 0, 0);
    return true;
  });
  SendMessageW(button, BM_CLICK, 0, 0);  // returns once the window is closed
  return seen;
}

TEST_F(FrameServicesTest, CommandListOpensModallyTwiceWithItsStoredText) {
  SetWindowTextW(Control(编辑框15), L"/vrnl reload");
  const std::wstring stored = base::WideFromGbk(compose::kCommandListText);
  SecondaryWindowSeen first =
      OpenAndInspect(Control(按钮5), kCommandListWindow, kCommandListText, main_, L"edited");
  ASSERT_TRUE(first.found);
  EXPECT_EQ(first.title, L"Varnel插件命令大全");
  EXPECT_EQ(first.size.cx, 373);
  EXPECT_EQ(first.size.cy, 675);
  EXPECT_FALSE(first.mainEnabled);
  // Rich edit reports paragraph breaks as CR only; compare with CR LF restored.
  auto normalise = [](std::wstring text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\r' && (i + 1 >= text.size() || text[i + 1] != L'\n')) {
        out += L"\r\n";
      } else {
        out += text[i];
      }
    }
    return out;
  };
  EXPECT_EQ(normalise(first.text), stored);
  // The edit was lost with the window: the second opening shows the stored text again.
  SecondaryWindowSeen second =
      OpenAndInspect(Control(按钮5), kCommandListWindow, kCommandListText, main_);
  ASSERT_TRUE(second.found);
  EXPECT_EQ(normalise(second.text), stored);
  // Back on the main window: enabled, contents unchanged.
  EXPECT_TRUE(IsWindowEnabled(main_));
  EXPECT_EQ(TextOf(Control(编辑框15)), L"/vrnl reload");
  EXPECT_EQ(FindComposerWindow(kCommandListWindow), nullptr);
}

TEST_F(FrameServicesTest, EscapeClosesAModalWindow) {
  bool pressed = false;
  WhenLoopRuns([&] {
    HWND secondary = FindComposerWindow(kExamplesWindow);
    if (secondary == nullptr) return false;
    HWND text = FindControlById(secondary, kExamplesText);
    SetFocus(text);
    PostMessageW(text, WM_KEYDOWN, VK_ESCAPE, 0);
    pressed = true;
    return true;
  });
  SendMessageW(Control(按钮12), BM_CLICK, 0, 0);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(FindComposerWindow(kExamplesWindow), nullptr);
  EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(FrameServicesTest, EveryReferenceButtonOpensItsWindow) {
  struct Case {
    ui::ControlId button;
    ui::WindowId window;
    ui::ControlId control;
    const wchar_t* title;
    SIZE size;
  };
  const Case cases[] = {
      {按钮14, kItemIllustrationWindow, kItemIllustration, L"消耗指定物品执行图解例子", {485, 254}},
      {按钮24,
       kConditionIllustrationWindow,
       kConditionIllustration,
       L"判断类脚本行图解例子",
       {476, 825}},
      {按钮18, kDelayIllustrationWindow, kDelayIllustration, L"延迟脚本行图解例子", {484, 298}},
      {按钮12, kExamplesWindow, kExamplesText, L"Varnel插件的几个例子", {692, 627}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(base::GbkFromWide(c.title));
    SecondaryWindowSeen seen = OpenAndInspect(Control(c.button), c.window, c.control, main_);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.hasControl);
    EXPECT_EQ(seen.title, c.title);
    EXPECT_EQ(seen.size.cx, c.size.cx);
    EXPECT_EQ(seen.size.cy, c.size.cy);
    EXPECT_FALSE(seen.mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(main_));
    // A picture box shows its illustration pixel for pixel from its top left corner.
    const ui::Element& element = *ui::FindElement(
        *ui::FindWindowDescription(app::WindowDescriptions(), c.window), c.control);
    if (element.kind != ui::Kind::kPicBox) continue;
    std::optional<ui::Picture> picture = ui::DecodePng(element.picture);
    ASSERT_TRUE(picture.has_value());
    ASSERT_GT(seen.width, 0);
    for (POINT at : {POINT{3, 3}, POINT{40, 20}, POINT{200, 100}, POINT{470, 220}}) {
      const std::uint8_t* bgr = &picture->pixels[at.y * picture->stride + at.x * 3];
      EXPECT_EQ(seen.pixels[at.y * seen.width + at.x], RGB(bgr[2], bgr[1], bgr[0]))
          << at.x << "," << at.y;
    }
  }
}

struct DialogSeen {
  std::wstring title, prompt, ok, cancel;
};

// Answers the next prompt dialog with this title: types text (if any) and presses the button.
void AnswerPrompt(DialogSeen& seen, const wchar_t* title, const wchar_t* text, int button) {
  WhenLoopRuns([&seen, title, text, button] {
    HWND dialog = FindWindowW(L"#32770", title);
    if (dialog == nullptr) return false;
    seen.title = TextOf(dialog);
    seen.prompt = TextOf(GetDlgItem(dialog, ui::kPromptTextId));
    seen.ok = TextOf(GetDlgItem(dialog, IDOK));
    seen.cancel = TextOf(GetDlgItem(dialog, IDCANCEL));
    if (text != nullptr) SetDlgItemTextW(dialog, ui::kPromptEntryId, text);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    return true;
  });
}

TEST_F(FrameServicesTest, PromptDialogGivesTheConfirmedTextOrNothing) {
  DialogSeen seen;
  AnswerPrompt(seen, L"请输入脚本名", L"heal 回城", IDOK);
  std::optional<std::string> answer = ui::Frame().AskText("请输入脚本名", "请输入脚本名");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, "heal 回城");
  EXPECT_EQ(seen.title, L"请输入脚本名");
  EXPECT_EQ(seen.prompt, L"请输入脚本名");
  EXPECT_EQ(seen.ok, L"确认输入(&O)");
  EXPECT_EQ(seen.cancel, L"取消(&C)");

  AnswerPrompt(seen, L"请输入玩家名", L"typed but cancelled", IDCANCEL);
  EXPECT_FALSE(ui::Frame().AskText("请输入玩家名", "请输入玩家名").has_value());
  EXPECT_EQ(seen.title, L"请输入玩家名");

  AnswerPrompt(seen, L"t", nullptr, IDOK);  // confirmed while empty
  answer = ui::Frame().AskText("t", "p");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, "");
  EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(FrameServicesTest, AppendPutsTextAtTheEndWithTheCaretAfterIt) {
  HWND box = Control(编辑框15);
  SetWindowTextW(box, L"/vrnl info ");
  SendMessageW(box, EM_SETSEL, 0, 0);  // caret at the start: append still goes to the end
  ui::Frame().AppendToEditBox({kMainWindow, 编辑框15, ui::Kind::kEditBox}, "heal",
                              ui::AppendedView::kAtNewText);
  EXPECT_EQ(TextOf(box), L"/vrnl info heal");
  DWORD start = 0, end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 15u);
  EXPECT_EQ(end, 15u);
}

TEST_F(FrameServicesTest, ComboBoxSelectionAndItemText) {
  const ui::ControlRef combo{kMainWindow, 组合框4, ui::Kind::kComboBox};
  EXPECT_EQ(ui::ReadNumber(kMainWindow, 组合框4, ui::Property::kSelection), -1);
  EXPECT_EQ(ui::Frame().ComboItemText(combo, -1), "");
  EXPECT_EQ(ui::Frame().ComboItemText(combo, 12), "");
  EXPECT_EQ(ui::Frame().ComboItemText(combo, 11), "下载占位符vault变量");
  SendMessageW(Control(组合框4), CB_SETCURSEL, 3, 0);
  EXPECT_EQ(ui::ReadNumber(kMainWindow, 组合框4, ui::Property::kSelection), 3);
}

TEST_F(FrameServicesTest, PropertiesOfUnknownControlsReadAsZero) {
  EXPECT_EQ(ui::Frame().ReadProperty(kMainWindow, 0x16019999, ui::Property::kText),
            ui::PropertyValue(0));
  EXPECT_EQ(ui::Frame().ReadProperty(kExamplesWindow, kExamplesText, ui::Property::kText),
            ui::PropertyValue(0));  // that window is not open
}

}  // namespace
