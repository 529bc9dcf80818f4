// Frame services on real windows: modal secondary windows, the text prompt dialog, appending to
// an edit box, combo box items, and declared external functions with their stack check.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/external_functions_win.h"
#include "app/frame.h"
#include "app/frame_win.h"
#include "app/png_picture.h"
#include "app/prompt_dialog_win.h"
#include "app/runtime.h"
#include "app/text_win.h"
#include "app/window_description.h"
#include "compose/reference_texts.h"
#include "tests/windows/win_test_support.h"
#include "tests/windows/window_lookup_win.h"

namespace {

using namespace app::ids;
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
  EXPECT_EQ(app::WideFromGbk(app::GbkFromWide(all)), all);

  const std::wstring gbk = L"点券 &b&l\u20AC\u00B7「」ａ";
  char system[64] = {};
  const int length = WideCharToMultiByte(936, 0, gbk.c_str(), static_cast<int>(gbk.size()), system,
                                         sizeof system, nullptr, nullptr);
  EXPECT_EQ(app::GbkFromWide(gbk), std::string(system, static_cast<size_t>(length)));
  EXPECT_EQ(app::GbkFromWide(L"a\u2603"),
            "a\xFF"
            "2603");
  EXPECT_EQ(app::WideFromGbk("\xB5\xE3\xFF"
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
SecondaryWindowSeen OpenAndInspect(HWND button, app::WindowId window, app::ControlId control,
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
  const std::wstring stored = app::WideFromGbk(compose::kCommandListText);
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
    app::ControlId button;
    app::WindowId window;
    app::ControlId control;
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
    SCOPED_TRACE(app::GbkFromWide(c.title));
    SecondaryWindowSeen seen = OpenAndInspect(Control(c.button), c.window, c.control, main_);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.hasControl);
    EXPECT_EQ(seen.title, c.title);
    EXPECT_EQ(seen.size.cx, c.size.cx);
    EXPECT_EQ(seen.size.cy, c.size.cy);
    EXPECT_FALSE(seen.mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(main_));
    // A picture box shows its illustration pixel for pixel from its top left corner.
    const app::Element& element =
        *app::FindElement(*app::FindWindowDescription(c.window), c.control);
    if (element.kind != app::Kind::kPicBox) continue;
    std::optional<app::Picture> picture = app::DecodePng(element.picture);
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
    seen.prompt = TextOf(GetDlgItem(dialog, app::kPromptTextId));
    seen.ok = TextOf(GetDlgItem(dialog, IDOK));
    seen.cancel = TextOf(GetDlgItem(dialog, IDCANCEL));
    if (text != nullptr) SetDlgItemTextW(dialog, app::kPromptEntryId, text);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    return true;
  });
}

TEST_F(FrameServicesTest, PromptDialogGivesTheConfirmedTextOrNothing) {
  DialogSeen seen;
  AnswerPrompt(seen, L"请输入脚本名", L"heal 回城", IDOK);
  std::optional<std::string> answer = app::Frame().AskText("请输入脚本名", "请输入脚本名");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, "heal 回城");
  EXPECT_EQ(seen.title, L"请输入脚本名");
  EXPECT_EQ(seen.prompt, L"请输入脚本名");
  EXPECT_EQ(seen.ok, L"确认输入(&O)");
  EXPECT_EQ(seen.cancel, L"取消(&C)");

  AnswerPrompt(seen, L"请输入玩家名", L"typed but cancelled", IDCANCEL);
  EXPECT_FALSE(app::Frame().AskText("请输入玩家名", "请输入玩家名").has_value());
  EXPECT_EQ(seen.title, L"请输入玩家名");

  AnswerPrompt(seen, L"t", nullptr, IDOK);  // confirmed while empty
  answer = app::Frame().AskText("t", "p");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, "");
  EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(FrameServicesTest, AppendPutsTextAtTheEndWithTheCaretAfterIt) {
  HWND box = Control(编辑框15);
  SetWindowTextW(box, L"/vrnl info ");
  SendMessageW(box, EM_SETSEL, 0, 0);  // caret at the start: append still goes to the end
  app::Frame().AppendToEditBox({kMainWindow, 编辑框15, app::Kind::kEditBox}, "heal",
                               app::AppendedView::kAtNewText);
  EXPECT_EQ(TextOf(box), L"/vrnl info heal");
  DWORD start = 0, end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 15u);
  EXPECT_EQ(end, 15u);
}

TEST_F(FrameServicesTest, ComboBoxSelectionAndItemText) {
  const app::ControlRef combo{kMainWindow, 组合框4, app::Kind::kComboBox};
  EXPECT_EQ(app::ReadNumber(kMainWindow, 组合框4, app::Property::kSelection), -1);
  EXPECT_EQ(app::Frame().ComboItemText(combo, -1), "");
  EXPECT_EQ(app::Frame().ComboItemText(combo, 12), "");
  EXPECT_EQ(app::Frame().ComboItemText(combo, 11), "下载占位符vault变量");
  SendMessageW(Control(组合框4), CB_SETCURSEL, 3, 0);
  EXPECT_EQ(app::ReadNumber(kMainWindow, 组合框4, app::Property::kSelection), 3);
}

TEST_F(FrameServicesTest, PropertiesOfUnknownControlsReadAsZero) {
  EXPECT_EQ(app::Frame().ReadProperty(kMainWindow, 0x16019999, app::Property::kText),
            app::PropertyValue(0));
  EXPECT_EQ(app::Frame().ReadProperty(kExamplesWindow, kExamplesText, app::Property::kText),
            app::PropertyValue(0));  // that window is not open
}

// ---- Declared external functions -----------------------------------------------------------

struct RaisedError {
  int number;
  std::string message;
};
[[noreturn]] void ThrowingSink(int number, std::string_view message) {
  throw RaisedError{number, std::string(message)};
}

#if defined(__i386__)
constexpr bool kStackChecked = true;
int __cdecl TakesTwoCdecl(int a, int b) {
  return a * 10 + b;
}
int __stdcall TakesTwoStdcall(int a, int b) {
  return a * 10 + b;
}
#else
constexpr bool kStackChecked = false;
#endif

TEST(DeclaredExternalFunctions, StackCheckTellsCallingConventionsApart) {
#if defined(__i386__)
  const std::uint32_t arguments[] = {4, 2};
  int delta = 99;
  EXPECT_EQ(app::CallWithStackCheck(reinterpret_cast<const void*>(&TakesTwoStdcall), arguments, 2,
                                    &delta),
            42u);
  EXPECT_EQ(delta, 0);
  EXPECT_EQ(
      app::CallWithStackCheck(reinterpret_cast<const void*>(&TakesTwoCdecl), arguments, 2, &delta),
      42u);
  EXPECT_EQ(delta, -8);  // the two arguments were left on the stack, and were removed for it
#else
  GTEST_SKIP() << "i686 only: the 64-bit calling convention leaves the stack to the caller";
#endif
}

TEST(DeclaredExternalFunctions, ProgramTableResolvesAndCallsSystemFunctions) {
  ASSERT_EQ(app::ProgramExternalFunctions().size(), 21u);
  char buffer[8] = "abc";
  const auto address = reinterpret_cast<app::ExternalValue>(buffer);
  // lstrcpyn with the same buffer twice and a count of zero returns the buffer's address.
  EXPECT_EQ(app::CallExternal(app::kLstrcpynA, {address, address, 0}), address);
  EXPECT_EQ(app::CallExternal(app::kLstrcpyn, {address, address, 0}), address);
  const char kernel[] = "kernel32.dll";
  const app::ExternalValue module =
      app::CallExternal(app::kGetModuleHandleA, {reinterpret_cast<app::ExternalValue>(kernel)});
  EXPECT_EQ(module, reinterpret_cast<app::ExternalValue>(GetModuleHandleA("kernel32.dll")));
  char target[4] = {};
  const char source[4] = "xyz";
  app::CallExternal(app::kFirstMoveMemory, {reinterpret_cast<app::ExternalValue>(target),
                                            reinterpret_cast<app::ExternalValue>(source), 4});
  EXPECT_STREQ(target, "xyz");
  app::ReleaseExternalLibraries();
}

TEST(DeclaredExternalFunctions, WrongDeclarationsAreRunTimeErrors) {
  app::RuntimeErrorSink previous = app::SetRuntimeErrorSink(&ThrowingSink);
  // lstrlenA takes one argument; declared with two, the stack comes back unbalanced.
  const app::ExternalDeclaration declarations[] = {
      {"", "lstrlenA", 2},
      {"kernel32.dll", "NoSuchExportAnywhere", 0},
  };
  app::DeclaredFunctionTable table(declarations);
  const char text[] = "abcd";
  try {
    // In the 64-bit build the extra argument is simply ignored by the callee.
    const app::ExternalValue length =
        table.Call(0, {reinterpret_cast<app::ExternalValue>(text), 0});
    EXPECT_FALSE(kStackChecked) << "unbalanced stack not noticed";
    EXPECT_EQ(length, 4u);
  } catch (const RaisedError& error) {
    EXPECT_TRUE(kStackChecked);
    EXPECT_EQ(error.number, app::kStackUnbalanced);
    EXPECT_EQ(error.message, "调用DLL命令后发现堆栈错误");
  }
  try {
    table.Call(1, {});
    ADD_FAILURE() << "missing export not reported";
  } catch (const RaisedError& error) {
    EXPECT_EQ(error.number, app::kNoErrorNumber);
    EXPECT_EQ(error.message, "无法找到指定DLL库文件中的输出命令“NoSuchExportAnywhere”");
  }
  try {
    table.Call(2, {});
    ADD_FAILURE() << "index outside the table not reported";
  } catch (const RaisedError& error) {
    EXPECT_EQ(error.number, app::kIndexAboveRange);
  }
  app::SetRuntimeErrorSink(previous);
}

}  // namespace
