// The command choosers, the help page, the balloon tips, the clock's tick and the creation event
// on the real main window in this process: real prompt dialogs answered by typing, the shell
// starting a stand-in browser, the real pointer moved over the controls.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/tests/win_test_support.h"
#include "app/tests/window_lookup_win.h"
#include "app/window_description.h"
#include "base/text_win.h"
#include "compose/builders.h"
#include "compose/command_table.h"
#include "compose/directive_tips.h"
#include "compose/help_page.h"
#include "ui/balloon_tip_win.h"
#include "ui/frame_win.h"
#include "ui/hypertext.h"
#include "ui/note_popup_win.h"
#include "ui/prompt_dialog_win.h"
#include "ui/temp_file_win.h"

namespace {

using namespace ui::ids;
using testing_support::CentreOf;
using testing_support::ClickAt;
using testing_support::PumpMessages;
using testing_support::TextOf;
using testing_support::WhenLoopRuns;

// Pumps messages for ms milliseconds.
void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    PumpMessages();
    Sleep(5);
  }
}

// One dialog the test expects, and what the user does in it.
struct Reply {
  std::wstring title;
  std::optional<std::wstring> typed;  // nullopt: the user cancels
};

struct DialogSeen {
  std::wstring title;
  std::wstring prompt;
  bool mainEnabled;
};

struct FindDialogContext {
  HWND found = nullptr;
  HWND skip = nullptr;
};

BOOL CALLBACK FindShownDialog(HWND hwnd, LPARAM param) {
  auto* context = reinterpret_cast<FindDialogContext*>(param);
  wchar_t name[16] = {};
  GetClassNameW(hwnd, name, 16);
  if (hwnd != context->skip && IsWindowVisible(hwnd) && lstrcmpW(name, L"#32770") == 0) {
    context->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

class CommandsTest : public testing_support::MainWindowFixture {
 protected:
  HWND C(ui::ControlId id) const { return Control(id); }

  void Choose(ui::ControlId chooser, int item) const {
    SendMessageW(C(chooser), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  }

  // Clicks the button and answers the dialogs that come, in order, as a user would: types into
  // the entry key by key and presses a button. Returns what each dialog showed.
  std::vector<DialogSeen> ClickAndAnswer(ui::ControlId button, std::deque<Reply> replies) const {
    std::vector<DialogSeen> seen;
    HWND last = nullptr;
    HWND main = main_;
    if (!replies.empty()) {
      WhenLoopRuns([&]() -> bool {
        FindDialogContext context{nullptr, last};
        EnumThreadWindows(GetCurrentThreadId(), FindShownDialog,
                          reinterpret_cast<LPARAM>(&context));
        if (context.found == nullptr) return false;
        HWND dialog = context.found;
        last = dialog;
        seen.push_back({TextOf(dialog), TextOf(GetDlgItem(dialog, ui::kPromptTextId)),
                        IsWindowEnabled(main) != FALSE});
        const Reply reply = replies.front();
        replies.pop_front();
        HWND entry = GetDlgItem(dialog, ui::kPromptEntryId);
        if (reply.typed) {
          for (wchar_t c : *reply.typed) SendMessageW(entry, WM_CHAR, c, 1);
          SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        } else {
          SendMessageW(entry, WM_CHAR, L'x', 1);  // typed, then thrown away
          SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        }
        return replies.empty();
      });
    }
    SendMessageW(C(button), BM_CLICK, 0, 0);  // returns when the last dialog has closed
    EXPECT_TRUE(replies.empty()) << replies.size() << " dialogs did not come";
    return seen;
  }
};

TEST_F(CommandsTest, BindingAsksThreeDialogsAndAppendsTheAnswers) {
  SetWindowTextW(C(编辑框15), L"old text");
  Choose(组合框2, 0);  // 点击触发
  const auto seen = ClickAndAnswer(按钮2, {{L"请输入脚本名", L"回城 脚本"},
                                           {L"请输入个人冷却时间", L"43199999"},
                                           {L"请输入全局冷却时间", std::nullopt}});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].title, L"请输入脚本名");
  EXPECT_EQ(seen[1].title, L"请输入个人冷却时间");
  EXPECT_EQ(seen[1].prompt, L"请输入个人冷却时间（比如12小时是43199999秒)");
  EXPECT_EQ(seen[2].title, L"请输入全局冷却时间");
  EXPECT_FALSE(seen[0].mainEnabled) << "the main window takes no input while a dialog is open";
  EXPECT_EQ(TextOf(C(编辑框15)), L"/vrnl click 回城 脚本 43199999 ");
  // The view ends at the appended text: the caret sits at the very end.
  DWORD start = 0, end = 0;
  SendMessageW(C(编辑框15), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(C(编辑框15))));
}

TEST_F(CommandsTest, ScriptLineAndInfoThroughRealDialogs) {
  Choose(组合框3, 0);  // 向指定脚本增加脚本行
  auto seen = ClickAndAnswer(
      按钮3, {{L"请输入脚本名", L"heal"}, {L"请输入脚本行", L"@bypass /heal %player%"}});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].title, L"请输入脚本行");
  EXPECT_EQ(TextOf(C(编辑框15)), L"/vrnl add heal @bypass /heal %player%");

  Choose(组合框4, 3);  // 查看指定脚本的内容, cancelled
  seen = ClickAndAnswer(按钮4, {{L"请输入脚本名", std::nullopt}});
  EXPECT_EQ(TextOf(C(编辑框15)), L"/vrnl info ");
}

// Answers typed into the prompt dialog keep characters GBK cannot hold, on the way to the
// command output box and to the clipboard.
TEST_F(CommandsTest, AnswersOutsideGbkReachTheBoxAndTheClipboardUnchanged) {
  const std::wstring name = L"回城\U0001F600";
  const std::wstring line = L"@msg:\u2603\uFFFD\xD800";
  Choose(组合框3, 0);  // 向指定脚本增加脚本行
  ClickAndAnswer(按钮3, {{L"请输入脚本名", name}, {L"请输入脚本行", line}});
  const std::wstring expected = L"/vrnl add " + name + L" " + line;
  EXPECT_EQ(TextOf(C(编辑框15)), expected);
  SendMessageW(C(按钮19), BM_CLICK, 0, 0);
  EXPECT_EQ(testing_support::ClipboardWideText(), expected);
  EXPECT_EQ(testing_support::ClipboardBytes(CF_TEXT),
            "/vrnl add "
            "\xBB\xD8\xB3\xC7"  // 回城
            "?? @msg:???");
}

TEST_F(CommandsTest, NothingChosenAsksNothingWhereNoQuestionBelongs) {
  SetWindowTextW(C(编辑框15), L"kept");
  ClickAndAnswer(按钮1, {});
  ClickAndAnswer(按钮4, {});
  EXPECT_EQ(TextOf(C(编辑框15)), L"kept");
  ClickAndAnswer(按钮3, {});
  EXPECT_EQ(TextOf(C(编辑框15)), L"kept ");
}

// The help page is written to the temporary folder and goes to the shell, which starts whatever
// the system opens web pages with. The test points the open command of this Wine prefix's (or
// Windows') .html files at a recorder that writes down its command line instead of opening a
// browser, and restores it afterwards.
class HelpPageTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    record_ = testing_support::BesideThisProgram(L"help_address.txt");
    DeleteFileW(record_.c_str());
    SetEnvironmentVariableW(L"COMPOSER_ADDRESS_RECORD", record_.c_str());
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    page_ = folder + base::WideFromGbk(compose::kHelpFileName);
    DeleteFileW(page_.c_str());
    const std::wstring command =
        L"\"" + testing_support::BesideThisProgram(L"address_recorder.exe") + L"\" \"%1\"";
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      // The class of .html files (a prefix without a browser has none: the test gives it one),
      // and its open command.
      std::wstring htmlClass = L"htmlfile";
      HKEY extension = nullptr;
      wchar_t value[256] = {};
      DWORD size = sizeof value - sizeof(wchar_t);
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.html", 0, KEY_READ | view,
                        &extension) == ERROR_SUCCESS &&
          RegQueryValueExW(extension, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                           &size) == ERROR_SUCCESS &&
          value[0] != L'\0') {
        htmlClass = value;
      } else {
        Replace(view, L"Software\\Classes\\.html", htmlClass);
      }
      if (extension != nullptr) RegCloseKey(extension);
      Replace(view, L"Software\\Classes\\" + htmlClass + L"\\shell\\open\\command", command);
    }
    ASSERT_FALSE(saved_.empty()) << "the .html handler could not be replaced";
  }

  void TearDown() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      const Saved& saved = *it;
      HKEY key = nullptr;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, saved.key.c_str(), 0, KEY_ALL_ACCESS | saved.view,
                        &key) != 0) {
        continue;
      }
      if (saved.existed) {
        RegSetValueExW(key, nullptr, 0, saved.type, reinterpret_cast<const BYTE*>(saved.value),
                       saved.size);
      } else {
        RegDeleteValueW(key, nullptr);
      }
      RegCloseKey(key);
    }
    DeleteFileW(record_.c_str());
    DeleteFileW(page_.c_str());
    CommandsTest::TearDown();
  }

  // Sets the default value of an HKLM key in one registry view, keeping the old one to restore.
  void Replace(REGSAM view, const std::wstring& keyName, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    Saved saved{view, keyName};
    DWORD size = sizeof saved.value;
    DWORD type = 0;
    saved.existed = RegQueryValueExW(key, nullptr, nullptr, &type,
                                     reinterpret_cast<BYTE*>(saved.value), &size) == 0;
    saved.type = type;
    saved.size = size;
    saved_.push_back(saved);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }

  static std::string FileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
  }

  std::wstring Recorded() const {
    const std::string bytes = FileBytes(record_);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                        bytes.size() / sizeof(wchar_t));
  }

  struct Saved {
    REGSAM view;
    std::wstring key;
    bool existed = false;
    DWORD type = REG_SZ;
    DWORD size = 0;
    wchar_t value[1024] = {};
  };
  std::vector<Saved> saved_;
  std::wstring record_;
  std::wstring page_;
};

TEST_F(HelpPageTest, TheShellReceivesTheWrittenHelpPage) {
  SendMessageW(C(高级选择夹1), TCM_SETCURSEL, 3, 0);
  SendMessageW(C(按钮25), BM_CLICK, 0, 0);
  std::wstring recorded;
  for (int i = 0; i < 300 && recorded.empty(); ++i) {
    PumpFor(50);
    recorded = Recorded();
  }
  // Whatever form of the path the shell hands on (long or short), it is this file.
  const size_t open = recorded.rfind(L" \"");
  ASSERT_NE(open, std::wstring::npos) << recorded;
  const std::wstring handed = recorded.substr(open + 2, recorded.size() - open - 3);
  wchar_t longHanded[MAX_PATH] = {};
  wchar_t longPage[MAX_PATH] = {};
  GetLongPathNameW(handed.c_str(), longHanded, MAX_PATH);
  GetLongPathNameW(page_.c_str(), longPage, MAX_PATH);
  EXPECT_EQ(lstrcmpiW(longHanded, longPage), 0) << recorded;

  // The whole page in UTF-8, with the command list and the tips.
  const std::string page = FileBytes(page_);
  // The document's GBK as the system's code page 936 reads it, written as UTF-8.
  const std::string utf8 = [] {
    const std::string gbk = compose::HelpDocument(compose::ForumAddress());
    std::wstring text(gbk.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(),
                                                        static_cast<int>(gbk.size()), text.data(),
                                                        static_cast<int>(text.size()))));
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
  }();
  ASSERT_FALSE(utf8.empty());
  EXPECT_EQ(page, utf8);
  const std::wstring wide = [&page] {
    std::wstring text(page.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, page.data(),
                                                        static_cast<int>(page.size()), text.data(),
                                                        static_cast<int>(text.size()))));
    return text;
  }();
  EXPECT_NE(wide.find(L"<meta charset=\"utf-8\">"), std::wstring::npos);
  EXPECT_NE(wide.find(L"/vrnl click 脚本名 个人冷却 全局冷却"), std::wstring::npos);
  EXPECT_NE(wide.find(L"检测玩家等级是否符合要求"), std::wstring::npos);
  EXPECT_NE(wide.find(L"<code>&amp;b</code>"), std::wstring::npos);

  // Written whole under a name of its own first: nothing else is left in the folder.
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((page_ + L".*partial").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left behind: " << base::GbkFromWide(found.cFileName);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// A system with no program for web pages: the classes root is replaced, for this process only, by
// an empty key. The help button then says where the page was saved, and the user's Enter on the
// message's default button copies that path.
class HelpPageWithoutBrowserTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, kEmptyClasses);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kEmptyClasses, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &classes_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_), ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (classes_ != nullptr) RegCloseKey(classes_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kEmptyClasses);
    CommandsTest::TearDown();
  }

  static constexpr wchar_t kEmptyClasses[] = L"Software\\ComposerTests\\NoClasses";
  HKEY classes_ = nullptr;
};

TEST_F(HelpPageWithoutBrowserTest, AMessageSaysWhereThePageIsAndCopiesItsPath) {
  testing_support::PutOnClipboard(L"before");
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  const std::wstring page = folder + base::WideFromGbk(compose::kHelpFileName);
  DeleteFileW(page.c_str());
  SendMessageW(C(高级选择夹1), TCM_SETCURSEL, 3, 0);
  SetForegroundWindow(main_);
  for (int i = 0; i < 100 && GetForegroundWindow() != main_; ++i) PumpFor(20);
  PumpFor(100);
  std::wstring title;
  std::wstring text;
  bool mainEnabled = true;
  HWND main = main_;
  WhenLoopRuns([&]() -> bool {
    FindDialogContext context;
    EnumThreadWindows(GetCurrentThreadId(), FindShownDialog, reinterpret_cast<LPARAM>(&context));
    if (context.found == nullptr) return false;
    title = TextOf(context.found);
    text = TextOf(GetDlgItem(context.found, 0xFFFF));
    mainEnabled = IsWindowEnabled(main) != FALSE;
    testing_support::PressKeyChord({VK_RETURN});  // the default button, 是: copy
    return true;
  });
  testing_support::ClickWithMouse(C(按钮25));
  for (int i = 0; i < 300 && testing_support::ClipboardWideText() == L"before"; ++i) PumpFor(50);

  ASSERT_NE(GetFileAttributesW(page.c_str()), INVALID_FILE_ATTRIBUTES) << "the click was lost";
  EXPECT_EQ(title, L"帮助页面");
  EXPECT_FALSE(mainEnabled) << "the message is modal";
  const std::wstring opening = L"无法用浏览器打开帮助页面。\r\n\r\n帮助页面已保存在：\r\n";
  const std::wstring closing = L"\r\n\r\n可以在浏览器中打开这个文件。要复制它的路径吗？";
  ASSERT_EQ(text.rfind(opening, 0), 0u) << base::GbkFromWide(text);
  ASSERT_GE(text.size(), opening.size() + closing.size());
  ASSERT_EQ(text.substr(text.size() - closing.size()), closing);
  const std::wstring path =
      text.substr(opening.size(), text.size() - opening.size() - closing.size());
  EXPECT_EQ(testing_support::ClipboardWideText(), path);
  // The path named is the page.
  wchar_t longNamed[MAX_PATH] = {};
  wchar_t longPage[MAX_PATH] = {};
  GetLongPathNameW(path.c_str(), longNamed, MAX_PATH);
  GetLongPathNameW(page.c_str(), longPage, MAX_PATH);
  EXPECT_EQ(lstrcmpiW(longNamed, longPage), 0) << base::GbkFromWide(path);
  DeleteFileW(page.c_str());
}

// ---- Balloon tips ---------------------------------------------------------------------------

class TipsTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    SetForegroundWindow(main_);
    PumpFor(100);
  }

  HWND Popup() const { return ui::widgets::BalloonPopupOf(C(气球提示框1)); }
  bool PopupShown() const {
    HWND popup = Popup();
    return popup != nullptr && IsWindowVisible(popup);
  }

  // Puts the pointer on the middle of a control (moving it there in one step).
  POINT PointAt(ui::ControlId id) const {
    RECT rect;
    GetWindowRect(C(id), &rect);
    const POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    SetCursorPos(point.x, point.y);
    return point;
  }

  // Milliseconds until the popup is in the wanted state, or -1 after limit.
  long WaitUntil(bool shown, DWORD limit) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limit) {
      if (PopupShown() == shown) return static_cast<long>(GetTickCount() - start);
      PumpMessages();
      Sleep(5);
    }
    return -1;
  }

  static std::wstring TipTextOf(ui::ControlId target) {
    for (const compose::DirectiveTip& tip : compose::DirectiveTips()) {
      if (tip.target == target) {
        return base::WideFromGbk(ui::PlainText(ui::ParseHypertext(tip.text)));
      }
    }
    return {};
  }

  void SelectPage(int page) const {
    SendMessageW(C(高级选择夹1), TCM_SETCURSEL, static_cast<WPARAM>(page - 1), 0);
    PumpFor(50);
  }
};

TEST_F(TipsTest, RestingShowsTheTipAfterTheDelayWithoutTakingFocus) {
  SelectPage(3);
  SetFocus(C(编辑框12));
  HWND focus = GetFocus();
  HWND active = GetActiveWindow();
  SetCursorPos(5, 5);
  PumpFor(100);
  const POINT point = PointAt(编辑框13);
  const long shownAfter = WaitUntil(true, 3000);
  ASSERT_GE(shownAfter, 0) << "no tip over 编辑框13";
  EXPECT_GE(shownAfter, 550);
  EXPECT_LE(shownAfter, 900);
  HWND popup = Popup();
  EXPECT_EQ(TextOf(popup), TipTextOf(编辑框13));
  EXPECT_EQ(GetFocus(), focus);
  EXPECT_EQ(GetActiveWindow(), active);
  EXPECT_FALSE(GetWindowLongW(popup, GWL_STYLE) & WS_CHILD);

  // Near the pointer and wholly on screen.
  RECT rect;
  GetWindowRect(popup, &rect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_GE(rect.left, monitor.rcWork.left);
  EXPECT_GE(rect.top, monitor.rcWork.top);
  EXPECT_LE(rect.right, monitor.rcWork.right);
  EXPECT_LE(rect.bottom, monitor.rcWork.bottom);
  // Beside the row of the control, with the pointer sideways.
  RECT row = ui::win::RowOnScreen(C(编辑框13)), overlap;
  EXPECT_FALSE(IntersectRect(&overlap, &rect, &row));
  EXPECT_TRUE(rect.left <= point.x && point.x < rect.right);

  // Drawn on #FFFFE1 with the level tip in bold #D98719.
  const std::vector<COLORREF> pixels = testing_support::RenderPixels(popup);
  size_t background = 0, tipColour = 0;
  for (COLORREF pixel : pixels) {
    background += pixel == RGB(0xFF, 0xFF, 0xE1);
    tipColour += pixel == RGB(0xD9, 0x87, 0x19);
  }
  EXPECT_GT(background, pixels.size() / 3);
  EXPECT_GT(tipColour, 50u);
}

TEST_F(TipsTest, MovingOnRestartsTheWaitAndLeavingHides) {
  SelectPage(3);
  PointAt(编辑框13);
  ASSERT_GE(WaitUntil(true, 3000), 0);

  // Another registered control: the tip goes at once and the new one comes after a fresh wait.
  PointAt(编辑框14);
  const long hiddenAfter = WaitUntil(false, 1000);
  EXPECT_GE(hiddenAfter, 0);
  EXPECT_LE(hiddenAfter, 200);
  const long shownAfter = WaitUntil(true, 3000);
  EXPECT_GE(shownAfter, 400);  // measured from the hide: the wait began at the move
  EXPECT_EQ(TextOf(Popup()), TipTextOf(编辑框14));

  // A control without a tip: hidden, and nothing comes.
  PointAt(编辑框17);
  EXPECT_GE(WaitUntil(false, 300), 0);
  EXPECT_EQ(WaitUntil(true, 1500), -1);

  // The two illustration buttons share their tip.
  PointAt(按钮18);
  ASSERT_GE(WaitUntil(true, 3000), 0);
  const std::wstring delayTip = TextOf(Popup());
  SelectPage(2);
  PointAt(按钮14);
  ASSERT_GE(WaitUntil(true, 3000), 0);
  EXPECT_EQ(TextOf(Popup()), delayTip);
  EXPECT_EQ(delayTip, L"仅供参考");
  PointAt(编辑框7);
  EXPECT_GE(WaitUntil(false, 300), 0);
  EXPECT_EQ(WaitUntil(true, 1500), -1);
}

TEST_F(TipsTest, TheTipHidesTenSecondsAfterItAppeared) {
  SelectPage(2);
  PointAt(编辑框1);
  ASSERT_GE(WaitUntil(true, 3000), 0);
  const long hiddenAfter = WaitUntil(false, 12000);
  EXPECT_GE(hiddenAfter, 9800);
  EXPECT_LE(hiddenAfter, 10500);
  // Still resting on the same control: it does not come back.
  EXPECT_EQ(WaitUntil(true, 1500), -1);
}

// With the main title's tip showing, the first click on the subtitle box is the subtitle box's and
// so is the typing: the tip keeps out of the title row, and the system's hit testing looks
// through it to the control under it.
TEST_F(TipsTest, TheTipKeepsOutOfItsRowAndLetsClicksThrough) {
  SelectPage(2);
  testing_support::MovePointer(CentreOf(C(编辑框6)));
  ASSERT_GE(WaitUntil(true, 3000), 0) << "no tip over 编辑框6";
  HWND popup = Popup();
  RECT tip, control, overlap;
  GetWindowRect(popup, &tip);
  for (ui::ControlId id : {单选框6, 透明标签6, 编辑框6, 透明标签7, 编辑框7, 按钮11}) {
    GetWindowRect(C(id), &control);
    EXPECT_FALSE(IntersectRect(&overlap, &tip, &control)) << "the tip covers " << id;
  }
  // Beside the row, the item row's gate lies under it: a click there is the gate's.
  GetWindowRect(C(单选框7), &control);
  ASSERT_TRUE(IntersectRect(&overlap, &tip, &control));
  const POINT inside{(overlap.left + overlap.right) / 2, (overlap.top + overlap.bottom) / 2};
  EXPECT_EQ(WindowFromPoint(inside), C(单选框7));
  // Clicked there straight from the title box, while the tip still shows.
  bool arrived = false;
  for (int attempt = 0; attempt < 5 && !arrived; ++attempt) {
    testing_support::MovePointer(CentreOf(C(编辑框6)));
    ASSERT_GE(WaitUntil(true, 3000), 0);
    arrived = testing_support::ClickInOneGo(inside);
  }
  ASSERT_TRUE(arrived);
  EXPECT_EQ(GetFocus(), C(单选框7)) << std::hex << GetDlgCtrlID(GetFocus());
  EXPECT_EQ(SendMessageW(C(单选框7), BM_GETCHECK, 0, 0), BST_CHECKED);

  ClickAt(CentreOf(C(编辑框7)));
  testing_support::TypeText(L"副标题");
  EXPECT_EQ(TextOf(C(编辑框7)), L"副标题");
  EXPECT_EQ(TextOf(C(编辑框6)), L"");
}

std::vector<HWND> g_alerts;

void CALLBACK RecordAlert(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
  g_alerts.push_back(hwnd);
}

// A builder clicked with its gate not selected adds nothing; a note at the gate says which box
// to select. It takes neither the focus nor a click (one on it reaches the input under it), is
// announced to screen readers, and goes at the next click or key or after a few seconds.
TEST_F(TipsTest, AGatelessClickNotesWhichBoxToSelectAndChangesNothing) {
  g_alerts.clear();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, RecordAlert,
                                       0, 0, WINEVENT_OUTOFCONTEXT);
  SelectPage(2);
  SetWindowTextW(C(编辑框16), L"kept");
  ClickAt(CentreOf(C(编辑框5)));
  testing_support::TypeText(L"&a欢迎");
  ClickAt(CentreOf(C(按钮10)));
  PumpFor(100);
  HWND note = ui::widgets::ShownNote();
  ASSERT_NE(note, nullptr) << "no note";
  EXPECT_EQ(TextOf(note), L"请先选中“发送ActionBar信息 (仅支持1.8+服务器)”，再生成脚本行");
  EXPECT_EQ(TextOf(C(编辑框16)), L"kept");
  EXPECT_EQ(GetFocus(), C(按钮10));
  EXPECT_EQ(GetActiveWindow(), main_);
  if (hook != nullptr) {
    EXPECT_NE(std::find(g_alerts.begin(), g_alerts.end(), note), g_alerts.end()) << "not heard";
    UnhookWinEvent(hook);
  }
  // At the gate, pointing at it from outside its row.
  RECT rect, gate, overlap;
  const RECT row = ui::win::RowOnScreen(C(单选框5));
  GetWindowRect(note, &rect);
  GetWindowRect(C(单选框5), &gate);
  EXPECT_FALSE(IntersectRect(&overlap, &rect, &row));
  const LONG gateX = (gate.left + gate.right) / 2;
  EXPECT_TRUE(rect.left <= gateX && gateX < rect.right);
  EXPECT_LT(std::min(std::abs(rect.bottom - gate.top), std::abs(rect.top - gate.bottom)), 30);

  // The row above lies under the note: a click on the note there is that input's, and the
  // note goes.
  RECT input;
  GetWindowRect(C(编辑框4), &input);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(note, shape), ERROR);
  ASSERT_TRUE(IntersectRect(&overlap, &rect, &input));
  const POINT inside{(overlap.left + overlap.right) / 2, (overlap.top + overlap.bottom) / 2};
  EXPECT_TRUE(PtInRegion(shape, inside.x - rect.left, inside.y - rect.top));
  DeleteObject(shape);
  ClickAt(inside);
  EXPECT_EQ(GetFocus(), C(编辑框4));
  EXPECT_EQ(ui::widgets::ShownNote(), nullptr) << "a click leaves the note";

  ClickAt(CentreOf(C(按钮10)));
  ASSERT_NE(ui::widgets::ShownNote(), nullptr);
  testing_support::PressKey(VK_SHIFT);
  EXPECT_EQ(ui::widgets::ShownNote(), nullptr) << "a key press leaves the note";

  ClickAt(CentreOf(C(按钮10)));
  ASSERT_NE(ui::widgets::ShownNote(), nullptr);
  const DWORD shown = GetTickCount();
  while (ui::widgets::ShownNote() != nullptr && GetTickCount() - shown < 8000) PumpFor(20);
  EXPECT_GE(GetTickCount() - shown, ui::widgets::kNoteShowMs - 300);
  EXPECT_LE(GetTickCount() - shown, ui::widgets::kNoteShowMs + 1500);

  // With the gate selected the same click adds the line, and says nothing.
  ClickAt(CentreOf(C(单选框5)));
  ClickAt(CentreOf(C(按钮10)));
  EXPECT_EQ(TextOf(C(编辑框16)), L"kept@msg:&a欢迎");
  EXPECT_EQ(ui::widgets::ShownNote(), nullptr);
}

// ---- Clock tick and creation ---------------------------------------------------------------

struct Raised {
  ui::WindowId window;
  ui::ControlId control;
  DWORD at;
  bool everyControlExists;
};
std::vector<Raised> g_raised;

void Record(ui::WindowId window, ui::ControlId control) {
  bool all = true;
  if (control == 0) {
    for (const ui::Element& element :
         ui::FindWindowDescription(app::WindowDescriptions(), window)->elements) {
      if (element.kind != ui::Kind::kTimer && ui::win::FindControl(window, element.id) == nullptr)
        all = false;
    }
  }
  g_raised.push_back({window, control, GetTickCount(), all});
}

class EventsTest : public CommandsTest {
 protected:
  void SetUp() override {
    g_raised.clear();
    ui::win::SetEventObserver(&Record);
    CommandsTest::SetUp();
  }
  void TearDown() override {
    CommandsTest::TearDown();
    ui::win::SetEventObserver(nullptr);
  }
  std::vector<DWORD> Ticks() const {
    std::vector<DWORD> ticks;
    for (const Raised& raised : g_raised) {
      if (raised.control == 时钟1) ticks.push_back(raised.at);
    }
    return ticks;
  }
};

TEST_F(EventsTest, CreationIsRaisedOnceAfterEveryControlAndTheClockTicksEverySecond) {
  PumpFor(3300);
  size_t creations = 0;
  for (const Raised& raised : g_raised) {
    if (raised.control == 0) {
      ++creations;
      EXPECT_EQ(raised.window, kMainWindow);
      EXPECT_TRUE(raised.everyControlExists);
    }
  }
  EXPECT_EQ(creations, 1u);
  const std::vector<DWORD> ticks = Ticks();
  ASSERT_GE(ticks.size(), 3u);
  EXPECT_LE(ticks.size(), 4u);
  for (size_t i = 1; i < ticks.size(); ++i) {
    EXPECT_GE(ticks[i] - ticks[i - 1], 900u);
    EXPECT_LE(ticks[i] - ticks[i - 1], 1200u);
  }
}

TEST_F(EventsTest, ATickDueDuringAHandlerIsRaisedOnceAfterIt) {
  Choose(组合框1, 0);
  PumpFor(100);
  size_t ticksWhileOpen = 0;
  DWORD opened = 0;
  DWORD closing = 0;
  WhenLoopRuns([&]() -> bool {
    FindDialogContext context;
    EnumThreadWindows(GetCurrentThreadId(), FindShownDialog, reinterpret_cast<LPARAM>(&context));
    if (context.found == nullptr) return false;
    if (opened == 0) opened = GetTickCount();
    if (GetTickCount() - opened < 2600) return false;  // the dialog stays open for 2.6 ticks
    for (DWORD tick : Ticks()) ticksWhileOpen += tick >= opened;
    closing = GetTickCount();
    SendMessageW(GetDlgItem(context.found, IDCANCEL), BM_CLICK, 0, 0);
    return true;
  });
  SendMessageW(C(按钮1), BM_CLICK, 0, 0);
  PumpFor(300);
  EXPECT_EQ(ticksWhileOpen, 0u) << "a tick ran inside the click's handler";
  std::vector<DWORD> after;
  for (DWORD tick : Ticks()) {
    if (tick >= closing) after.push_back(tick - closing);
  }
  ASSERT_EQ(after.size(), 1u) << "the due ticks come once, right after the handler";
  EXPECT_LE(after[0], 250u);
}

}  // namespace
