// The program's dialogs, laid out in dialog units from in-memory templates with a 9-point font.
// The text prompt: a sunken frame holding the wrapping prompt, the entry below it, the two
// buttons under that. The question: its wrapping text and a row of buttons at the bottom right.
#include "ui/prompt_dialog_win.h"

#include <cstdint>
#include <vector>

#include "base/text_win.h"
#include "ui/fonts_win.h"

namespace ui {

using base::WindowText;
namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// Writes a DLGTEMPLATE and its items; items start on DWORD boundaries, strings on WORD ones.
class TemplateWriter {
 public:
  void Dialog(DWORD style, short cx, short cy, std::wstring_view title, WORD points,
              std::wstring_view face, WORD itemCount) {
    DWord(style);
    DWord(0);  // extended style
    Word(itemCount);
    Word(0), Word(0), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Word(0);  // no menu
    Word(0);  // standard dialog class
    String(title);
    Word(points);
    String(face);
  }

  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD windowClass,
            std::wstring_view text) {
    AlignToDWord();
    DWord(style | WS_CHILD | WS_VISIBLE);
    DWord(0);
    for (short value : {x, y, cx, cy}) Word(static_cast<WORD>(value));
    Word(id);
    Word(0xFFFF);
    Word(windowClass);
    String(text);
    Word(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD value) { words_.push_back(value); }
  void DWord(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void String(std::wstring_view text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignToDWord() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> words_;
};

struct DialogState {
  std::optional<std::wstring> answer;
};

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      // Answers may be long: a whole script line with its message.
      SendDlgItemMessageW(dialog, kPromptEntryId, EM_SETLIMITTEXT, 0, 0);
      return TRUE;  // focus goes to the entry, the first tab stop
    case WM_COMMAND: {
      auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (LOWORD(wParam) == IDOK) {
        state->answer = WindowText(GetDlgItem(dialog, kPromptEntryId));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

struct ChoiceState {
  int chosen;
  int cancel;
  int count;
};

INT_PTR CALLBACK ChoiceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return TRUE;  // focus goes to the first button, the default
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  auto* state = reinterpret_cast<ChoiceState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  const int id = LOWORD(wParam);
  if (id == IDCANCEL) {
    state->chosen = state->cancel;
  } else if (id >= kFirstChoiceId && id < kFirstChoiceId + state->count) {
    state->chosen = id - kFirstChoiceId;
  } else {
    return FALSE;
  }
  EndDialog(dialog, IDOK);
  return TRUE;
}

}  // namespace

int AskChoiceDialog(HINSTANCE instance, HWND owner, std::wstring_view title,
                    std::wstring_view question, std::span<const std::wstring_view> answers,
                    int cancel) {
  constexpr short kWidth = 260;
  constexpr short kButtonWidth = 64;
  constexpr short kGap = 6;
  TemplateWriter writer;
  const std::wstring face = widgets::ResolveFace(L"宋体");
  const auto count = static_cast<short>(answers.size());
  writer.Dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, kWidth,
                70, title, 9, face, static_cast<WORD>(count + 1));
  writer.Item(SS_LEFT | SS_NOPREFIX, 10, 10, kWidth - 20, 28, kChoiceTextId, kStaticClass,
              question);
  short left = static_cast<short>(kWidth - 7 - count * kButtonWidth - (count - 1) * kGap);
  for (short i = 0; i < count; ++i, left = static_cast<short>(left + kButtonWidth + kGap)) {
    writer.Item((i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, left, 46, kButtonWidth,
                17, static_cast<WORD>(kFirstChoiceId + i), kButtonClass, answers[i]);
  }
  ChoiceState state{cancel, cancel, count};
  DialogBoxIndirectParamW(instance, writer.Get(), owner, ChoiceProc,
                          reinterpret_cast<LPARAM>(&state));
  return state.chosen;
}

std::optional<std::wstring> AskTextDialog(HINSTANCE instance, HWND owner, std::wstring_view title,
                                          std::wstring_view prompt) {
  TemplateWriter writer;
  const std::wstring face = widgets::ResolveFace(L"宋体");
  writer.Dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 252,
                92, title, 9, face, 5);
  // The prompt comes first so that it lies above the frame, which is clipped around it.
  writer.Item(SS_LEFT | SS_NOPREFIX, 12, 11, 229, 27, kPromptTextId, kStaticClass, prompt);
  writer.Item(SS_SUNKEN | WS_CLIPSIBLINGS, 7, 7, 238, 35, 0xFFFF, kStaticClass, L"");
  writer.Item(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, 7, 45, 238, 12, kPromptEntryId,
              kEditClass, L"");
  writer.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 63, 66, 55, 19, IDOK, kButtonClass, L"确认输入(&O)");
  writer.Item(BS_PUSHBUTTON | WS_TABSTOP, 134, 66, 55, 19, IDCANCEL, kButtonClass, L"取消(&C)");

  DialogState state;
  DialogBoxIndirectParamW(instance, writer.Get(), owner, PromptProc,
                          reinterpret_cast<LPARAM>(&state));
  return state.answer;
}

}  // namespace ui
