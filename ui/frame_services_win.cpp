// The services the frame gives handlers (reading and writing controls, dialogs, the clipboard,
// balloon tips, notes, the browser), and the frame's start-up and normal termination.
#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "base/error_box_win.h"
#include "base/late_bound_win.h"
#include "base/runtime.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/balloon_tip_win.h"
#include "ui/clipboard_win.h"
#include "ui/frame.h"
#include "ui/frame_internal_win.h"
#include "ui/frame_win.h"
#include "ui/note_popup_win.h"
#include "ui/prompt_dialog_win.h"
#include "ui/temp_file_win.h"
#include "ui/widgets_win.h"

namespace ui::win {

using base::GbkFromWide;
using base::LateBound;
using base::WideFromGbk;
using base::WindowText;
namespace {

class Win32Services final : public FrameServices {
 public:
  PropertyValue ReadProperty(WindowId window, ControlId control, Property property) override {
    Kind kind{};
    HWND hwnd = Lookup(window, control, kind);
    if (hwnd == nullptr) return 0;
    switch (property) {
      case Property::kText:
        return GbkFromWide(WindowText(hwnd));
      case Property::kChecked:
        if (kind == Kind::kRadioBox) return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
        break;
      case Property::kSelection:
        if (kind == Kind::kComboBox) {
          const LRESULT index = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
          return index == CB_ERR ? -1 : static_cast<int>(index);
        }
        break;
    }
    return 0;
  }

  void WriteProperty(WindowId window, ControlId control, Property property,
                     const PropertyValue& value) override {
    Kind kind{};
    HWND hwnd = Lookup(window, control, kind);
    if (hwnd == nullptr || property != Property::kText) return;
    if (const auto* text = std::get_if<std::string>(&value)) {
      widgets::SetControlText(hwnd, WideFromGbk(*text));
    }
  }

  void AppendToEditBox(const ControlRef& editBox, std::string_view text,
                       AppendedView view) override {
    Kind kind{};
    HWND hwnd = Lookup(editBox.window, editBox.control, kind);
    if (hwnd == nullptr) return;
    const std::wstring wide = WideFromGbk(text);
    const int end = GetWindowTextLengthW(hwnd);
    SendMessageW(hwnd, EM_SETSEL, end, end);
    if (view == AppendedView::kAtNewText) SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    if (view == AppendedView::kAtStart) {
      // What writing the whole text leaves: caret and view at the start, nothing to undo, not
      // marked as modified by the user.
      SendMessageW(hwnd, EM_SETSEL, 0, 0);
      SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
      SendMessageW(hwnd, EM_SETMODIFY, FALSE, 0);
    }
  }

  std::string ComboItemText(const ControlRef& comboBox, int index) override {
    Kind kind{};
    HWND hwnd = Lookup(comboBox.window, comboBox.control, kind);
    if (hwnd == nullptr || kind != Kind::kComboBox) return {};
    const LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, index, 0);
    if (index < 0 || length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return GbkFromWide(text);
  }

  bool CopyToClipboard(std::string_view text) override { return CopyTextToClipboard(text); }

  // The box's UTF-16 goes to the clipboard as it is, never through GBK and back.
  CopyOutcome CopyControlText(const ControlRef& control, std::string* copied) override {
    Kind kind{};
    HWND hwnd = Lookup(control.window, control.control, kind);
    if (hwnd == nullptr || kind != Kind::kEditBox) {
      return FrameServices::CopyControlText(control, copied);
    }
    const CopyOutcome outcome = CopyWindowTextToClipboard(hwnd);
    if (outcome == CopyOutcome::kCopied && copied != nullptr &&
        static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) <= kCopiedTextLimit) {
      *copied = GbkFromWide(WindowText(hwnd));
    }
    return outcome;
  }

  // MessageBoxW owned by the active window is modal to it, and the skin engine dresses it as
  // every window made on this thread.
  MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                            MessageButtons buttons) override {
    const UINT style = MB_ICONWARNING | (buttons == MessageButtons::kYesNo ? MB_YESNO : MB_OK);
    const int answer = MessageBoxW(ActiveProgramWindow(), WideFromGbk(text).c_str(),
                                   WideFromGbk(title).c_str(), style);
    if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    return answer == IDYES ? MessageAnswer::kYes : MessageAnswer::kNo;
  }

  std::optional<std::string> AskText(std::string_view title, std::string_view prompt) override {
    std::optional<std::wstring> answer = AskTextDialog(
        base::ProgramInstance(), ActiveProgramWindow(), WideFromGbk(title), WideFromGbk(prompt));
    if (!answer) return std::nullopt;
    return GbkFromWide(*answer);
  }

  bool OpenWindow(WindowId window, bool modal) override {
    return OpenDescribedWindow(window, modal);
  }

  bool AttachBalloonTip(const ControlRef& tip, const ControlRef& target, std::string_view text,
                        int icon, const Rect& region) override {
    Kind tipKind{};
    Kind targetKind{};
    HWND tipWindow = Lookup(tip.window, tip.control, tipKind);
    HWND targetWindow = Lookup(target.window, target.control, targetKind);
    if (tipWindow == nullptr || tipKind != Kind::kBalloonTip || targetWindow == nullptr) {
      return false;
    }
    return widgets::AttachTip(tipWindow, targetWindow, text, icon, region, &RowOnScreen);
  }

  std::optional<std::string> WriteTemporaryTextFile(std::string_view fileName,
                                                    std::string_view text) override {
    return win::WriteTemporaryTextFile(fileName, text);
  }

  void ShowNote(const ControlRef& at, std::string_view text) override {
    Kind kind{};
    if (HWND control = Lookup(at.window, at.control, kind)) {
      widgets::ShowNote(control, RowOnScreen(control), text);
    }
  }

  bool OpenWebAddress(std::string_view address) override {
    const std::wstring wide = WideFromGbk(address);
    // shell32 is loaded on the first use, not before the window shows.
    static const auto shellExecute =
        LateBound<decltype(&::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (shellExecute == nullptr) return false;
    // The shell may hand the address to COM objects of its own.
    widgets::EnsureOle();
    const auto result = reinterpret_cast<INT_PTR>(
        shellExecute(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
  }

 private:
  static HWND Lookup(WindowId window, ControlId control, Kind& kind) {
    OpenWindowState* state = FindOpenWindow(window);
    if (state == nullptr) return nullptr;
    auto it = state->controls.find(control);
    const Element* element = FindElement(*state->description, control);
    if (it == state->controls.end() || element == nullptr) return nullptr;
    kind = element->kind;
    return it->second;
  }
};

Win32Services g_services;
bool g_initialized = false;

[[noreturn]] void ErrorBoxSink(int number, std::string_view message) {
  base::ShowRuntimeErrorAndExit(number, message);
}

}  // namespace

bool InitializeFrame(std::span<const WindowDescription> windows) {
  if (g_initialized) return true;
  SetWindowDescriptions(windows);
  base::SetRuntimeErrorSink(&ErrorBoxSink);

  // The program's own folder is the current directory.
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    if (wchar_t* slash = wcsrchr(path, L'\\')) {
      *slash = L'\0';
      SetCurrentDirectoryW(path);
    }
  }

  if (!widgets::RegisterControlClasses()) return false;
  if (!RegisterTopLevelClass()) return false;

  InstallFrameServices(&g_services);
  g_initialized = true;
  return true;
}

void TerminateNormally() {
  base::RunExitRoutines();
  widgets::ReleaseOle();
  ExitProcess(0);
}

}  // namespace ui::win
