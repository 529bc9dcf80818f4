// Helpers of the Windows tests: message pumping, real input, the clipboard, rendering a control
// to pixels, running code while a modal loop is open and a file held by another process.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ids.h"

namespace testing_support {

// The real main window, built by the frame in this process for each test and destroyed after.
class MainWindowFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  HWND Control(ui::ControlId id) const;

  HWND main_ = nullptr;
};

// The first 4 KiB of a file, or "<missing>" when it cannot be opened; the settings file's.
std::string FileText(const std::wstring& path);
std::string SettingsFileText();

// The program as it runs: the main window's extras, and when skinned the skin engine loaded as the
// program loads it, on an application-data folder of this test run's own (named after the suite),
// so that settings, scripts and history stay apart from the user's and from other runs. Call from
// SetUpTestSuite.
class ProgramFixture : public MainWindowFixture {
 protected:
  static void SetUpProgram(const wchar_t* suite, bool skinned = true);
};

// Dispatches pending messages; a quit request is dropped (tests close the start window often).
void PumpMessages();

// Dispatches messages for ms milliseconds as the frame's loop does (its navigation keys first).
void PumpAsTheFrame(DWORD ms);

// Real input, as a user gives it: SendInput moves the system's pointer and queues clicks and
// keys where the system routes hardware input (to the window under the pointer, to the focus of
// the foreground window). Each pumps messages as the frame does until the input is handled.
POINT CentreOf(HWND window);
void MovePointer(POINT screen);
void ClickAt(POINT screen);
// Moves there and clicks in one batch of input, so that what shows there as the pointer arrives
// still shows for the click. False when Wine let an older pointer position overtake the move
// (the click then went elsewhere).
bool ClickInOneGo(POINT screen);
void PressKey(WORD key, bool shift = false);
// Modifiers held down in order (VK_CONTROL, VK_MENU, VK_SHIFT), key pressed and released, then
// the modifiers released in reverse order.
void PressChord(std::initializer_list<WORD> modifiers, WORD key);
void TypeText(const std::wstring& text);  // each character as a Unicode key stroke

// Whether popup lies above window in the z-order.
bool IsAbove(HWND popup, HWND window);

// The clipboard's content in a format, as bytes without the terminating zero.
std::string ClipboardBytes(UINT format);
std::wstring ClipboardWideText();
void PutOnClipboard(const std::wstring& text);

// The control's client area as drawn by WM_PRINTCLIENT, pixel by pixel.
std::vector<COLORREF> RenderPixels(HWND control);

// Runs step on this thread once the current message loop (a modal window's, a dialog's) has
// started, polling every 50 ms until it returns true. A step may give real input and pump
// messages itself: the polls that come due meanwhile wait for it. After 15 seconds the test fails
// and the windows that are open get closed, so that a missing window cannot hang the test run.
void WhenLoopRuns(std::function<bool()> step);

// The path of a file beside this test program.
std::wstring BesideThisProgram(const std::wstring& name);

// Real input, as the user gives it (SendInput): a left click in the middle of a window; text
// typed into whatever has the focus; keys pressed together and let go in reverse order.
void ClickWithMouse(HWND window);
void TypeWithKeyboard(std::wstring_view text);
void PressKeyChord(std::initializer_list<WORD> keys);

// Another process (file_holder.exe, beside this program) holding a file open as an editor or a
// virus scanner does: read, shared for reading only. Held() once it has the file.
class FileHolder {
 public:
  explicit FileHolder(const std::wstring& path);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool Held() const { return held_; }
  // Returns once the holder has closed the file and ended.
  void LetGo();

 private:
  PROCESS_INFORMATION process_{};
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  bool held_ = false;
};

}  // namespace testing_support
