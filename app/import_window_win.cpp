// The import window. The pasted text is read again at each change, so what the list shows is
// always what the import would add.
#include "app/import_window_win.h"

#include <richedit.h>

#include <utility>

#include "app/window_description.h"
#include "app/workbench_paint_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "compose/paste_reading.h"
#include "compose/workbench_rows.h"
#include "ui/background_win.h"
#include "ui/described_window_win.h"
#include "ui/note_popup_win.h"
#include "ui/row_list_win.h"
#include "ui/widgets_win.h"

namespace app::win {
namespace {

using namespace ui::ids;
using ui::widgets::RowLook;

std::string HintOf(const compose::PasteReading& reading, std::size_t row) {
  if (reading.CanJoin(row)) return "也可以读作上一行的一部分：按“与上一行合并”（或回车）";
  if (reading.CanSplit(row)) return "由几段合成：按“拆开”（或回车）分回原来的几行";
  return {};
}

class ReadingRows final : public ui::widgets::RowSource {
 public:
  explicit ReadingRows(const std::optional<compose::PasteReading>& reading) : reading_(reading) {}
  std::size_t RowCount() override { return reading_ ? reading_->RowCount() : 0; }
  void PaintRow(HDC dc, const RECT& rect, std::size_t row, const RowLook& look) override {
    const compose::ScriptLine line = compose::ParseScriptLine(reading_->RowText(row));
    PaintScriptRow(dc, rect, look, {row + 1, line, HintOf(*reading_, row), false});
  }
  std::wstring RowName(std::size_t row) override {
    const compose::ScriptLine line = compose::ParseScriptLine(reading_->RowText(row));
    return base::WideFromGbk(compose::SpokenRow(row, line, HintOf(*reading_, row)));
  }

 private:
  const std::optional<compose::PasteReading>& reading_;
};

class ImportState {
 public:
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Build(HWND hwnd, const ui::WindowDescription& description,
             const ui::win::WindowPlace& place);
  bool TranslateKey(MSG& msg);
  void Run(WorkbenchCommand command);
  void Close(bool import);
  HWND Hwnd() const { return window_.Hwnd(); }
  HWND Control(ui::ControlId id) const { return window_.Control(id); }

  std::optional<ImportedRows>* result = nullptr;
  std::vector<HWND> disabled;  // what the window disabled while it is open, enabled again after

 private:
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose();
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClient(HDC dc);
  LRESULT OnDestroy();
  void ReadPastedText();
  void ShowReading(std::optional<std::size_t> selected);
  void TakeOtherReading(bool join);
  void Note(ui::ControlId at, std::string_view text) const;

  ui::win::DescribedWindow window_;
  std::optional<compose::PasteReading> reading_;
  ReadingRows rows_{reading_};
};

using ImportWindowClass = base::WindowState<ImportState>;
ImportState* g_import = nullptr;

LRESULT ImportState::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_CLOSE:
      return OnClose();
    case WM_DPICHANGED:
      return OnDpiChanged(wParam, lParam);
    case WM_PRINTCLIENT:
      return OnPrintClient(reinterpret_cast<HDC>(wParam));
    case WM_DESTROY:
      return OnDestroy();
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

bool ImportState::Build(HWND hwnd, const ui::WindowDescription& description,
                        const ui::win::WindowPlace& place) {
  if (!window_.Build(hwnd, description, place)) return false;
  HWND text = Control(kPastedText);
  // Rich edit tells of changes only when asked to; pasted text may be long.
  SendMessageW(text, EM_SETEVENTMASK, 0, ENM_CHANGE);
  ui::widgets::SetRowSource(Control(kReadingRows), &rows_, 2);
  ShowReading(std::nullopt);
  g_import = this;
  return true;
}

bool ImportState::TranslateKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (msg.wParam == VK_ESCAPE) {
    Close(false);
    return true;
  }
  if (msg.wParam == VK_RETURN && control) {
    Run(WorkbenchCommand::kImportRows);
    return true;
  }
  return window_.TranslateNavigation(msg);
}

void ImportState::Run(WorkbenchCommand command) {
  switch (command) {
    case WorkbenchCommand::kJoinRow:
      TakeOtherReading(true);
      break;
    case WorkbenchCommand::kSplitRow:
      TakeOtherReading(false);
      break;
    case WorkbenchCommand::kImportRows:
      if (reading_ && reading_->RowCount() > 0) {
        Close(true);
      } else {
        Note(kImportRows, "还没有读出脚本行：请先把文本粘贴到上面");
      }
      break;
    case WorkbenchCommand::kCancelImport:
      Close(false);
      break;
    default:
      break;
  }
}

// The windows it disabled are enabled before it goes, so activation returns to its owner.
void ImportState::Close(bool import) {
  if (import && result != nullptr && reading_) {
    const std::vector<std::string>& names = reading_->Names();
    *result = ImportedRows{reading_->Lines(),
                           names.empty() ? std::string() : names[reading_->KeptScript()]};
  }
  for (HWND hwnd : disabled) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
  disabled.clear();
  DestroyWindow(Hwnd());
}

LRESULT ImportState::OnCommand(WPARAM wParam, LPARAM lParam) {
  const ui::Element* element = window_.ElementOf(reinterpret_cast<HWND>(lParam));
  if (element == nullptr) return 0;
  const WORD code = HIWORD(wParam);
  if (element->kind == ui::Kind::kButton && code == BN_CLICKED) {
    if (const ui::Handler handler = ui::FindHandler(element->events)) handler();
  } else if (element->id == kPastedText && code == EN_CHANGE) {
    ReadPastedText();
  } else if (element->id == kScriptChoice && code == CBN_SELCHANGE) {
    const LRESULT chosen = SendMessageW(Control(kScriptChoice), CB_GETCURSEL, 0, 0);
    if (reading_ && chosen >= 0) reading_->KeepScript(static_cast<std::size_t>(chosen));
    ShowReading(0);
  } else if (element->id == kReadingRows && code == ui::widgets::kRowActivated) {
    const std::optional<std::size_t> row = ui::widgets::SelectedRow(Control(kReadingRows));
    if (row && reading_) TakeOtherReading(reading_->CanJoin(*row));
  }
  return 0;
}

LRESULT ImportState::OnClose() {
  Close(false);
  return 0;
}

LRESULT ImportState::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  window_.OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
  return 0;
}

LRESULT ImportState::OnPrintClient(HDC dc) {
  ui::widgets::FillWindowBackground(Hwnd(), dc);
  return 0;
}

LRESULT ImportState::OnDestroy() {
  if (g_import == this) g_import = nullptr;
  return 0;
}

void ImportState::ReadPastedText() {
  reading_.emplace(base::GbkFromWide(base::WindowText(Control(kPastedText))));
  ShowReading(reading_->RowCount() > 0 ? std::optional<std::size_t>(0) : std::nullopt);
}

void ImportState::ShowReading(std::optional<std::size_t> selected) {
  HWND list = Control(kReadingRows);
  ui::widgets::RowsChanged(list);
  ui::widgets::SelectRow(list, selected);
  // The choice of script shows only when the text names several.
  HWND choice = Control(kScriptChoice);
  const bool several = reading_ && reading_->Names().size() > 1;
  SendMessageW(choice, CB_RESETCONTENT, 0, 0);
  for (std::size_t i = 0; several && i < reading_->Names().size(); ++i) {
    const std::wstring name = base::WideFromGbk(reading_->Names()[i]);
    SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  if (several) SendMessageW(choice, CB_SETCURSEL, reading_->KeptScript(), 0);
  ShowWindow(choice, several ? SW_SHOW : SW_HIDE);
  ShowWindow(Control(kScriptChoiceLabel), several ? SW_SHOW : SW_HIDE);
}

void ImportState::TakeOtherReading(bool join) {
  HWND list = Control(kReadingRows);
  const std::optional<std::size_t> row = ui::widgets::SelectedRow(list);
  if (!reading_ || !row) {
    Note(join ? kJoinRow : kSplitRow, "请先在上面的列表里选中一行");
    return;
  }
  const bool done = join ? reading_->Join(*row) : reading_->Split(*row);
  if (!done) {
    Note(join ? kJoinRow : kSplitRow, join ? "这一行只有一种读法：它不会是上一行的一部分"
                                           : "这一行不是合并出来的，没有可拆开的");
    return;
  }
  ShowReading(join ? *row - 1 : *row);
}

void ImportState::Note(ui::ControlId at, std::string_view text) const {
  HWND control = Control(at);
  RECT rect{};
  GetWindowRect(control, &rect);
  ui::widgets::ShowNote(control, rect, text);
}

// The windows of the thread the user could otherwise turn to while the import is open.
BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<std::vector<HWND>*>(param);
  wchar_t name[32] = {};
  GetClassNameW(hwnd, name, 32);
  const bool ours =
      lstrcmpW(name, L"ComposerWindow") == 0 || lstrcmpW(name, L"ComposerWorkbench") == 0;
  if (ours && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) found->push_back(hwnd);
  return TRUE;
}

}  // namespace

bool RegisterImportClass() {
  return base::RegisterWindowClass({.name = kImportClass,
                                    .procedure = ImportWindowClass::Procedure,
                                    .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
}

std::optional<ImportedRows> RunImportWindow(HWND owner) {
  const ui::WindowDescription* description =
      ui::FindWindowDescription(WindowDescriptions(), kImportWindow);
  if (g_import != nullptr || description == nullptr) return std::nullopt;
  const ui::win::WindowPlace place = ui::win::PlaceNewWindow(*description);
  std::optional<ImportedRows> result;
  auto* state = new ImportState;
  state->result = &result;
  const std::wstring title = base::WideFromGbk(description->title);
  HWND hwnd = ImportWindowClass::Create(
      state, ui::win::TopLevelExStyle(), kImportClass, title.c_str(),
      ui::win::TopLevelStyle() & ~WS_MINIMIZEBOX, place.rect.left, place.rect.top,
      place.rect.right - place.rect.left, place.rect.bottom - place.rect.top, owner, nullptr,
      base::ProgramInstance());
  if (hwnd == nullptr) return std::nullopt;
  if (!state->Build(hwnd, *description, place)) {
    DestroyWindow(hwnd);
    return std::nullopt;
  }
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled,
                    reinterpret_cast<LPARAM>(&state->disabled));
  for (HWND disabled : state->disabled) EnableWindow(disabled, FALSE);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(state->Control(kPastedText));
  UpdateWindow(hwnd);
  MSG msg;
  while (IsWindow(hwnd)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
      break;
    }
    if (got == -1) break;
    if (!ui::win::TranslateProgramKeys(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (IsWindow(owner)) SetActiveWindow(owner);
  return result;
}

bool TranslateImportKeys(MSG& msg) {
  if (g_import == nullptr || msg.hwnd == nullptr) return false;
  if (GetAncestor(msg.hwnd, GA_ROOT) != g_import->Hwnd()) return false;
  return g_import->TranslateKey(msg);
}

void RunImportCommand(WorkbenchCommand command) {
  if (g_import != nullptr) g_import->Run(command);
}

HWND ImportWindow() {
  return g_import != nullptr ? g_import->Hwnd() : nullptr;
}

}  // namespace app::win
