// The workbench window. It shows the program's open script (compose::Session()) and hears each
// change of it, so a builder click in the main window shows here at once; every list asks only
// for the rows in view. Commands come from its buttons through the description's bindings, from
// its keys through the frame's message filter, and from the menu through OpenWorkbench.
#include "app/workbench_window_win.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/import_window_win.h"
#include "app/script_files_win.h"
#include "app/server_console.h"
#include "app/window_description.h"
#include "app/workbench.h"
#include "app/workbench_dialogs_win.h"
#include "app/workbench_paint_win.h"
#include "base/gbk.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "compose/script_commands.h"
#include "compose/script_session.h"
#include "compose/workbench_rows.h"
#include "ui/accessible_win.h"
#include "ui/background_win.h"
#include "ui/described_window_win.h"
#include "ui/frame.h"
#include "ui/note_popup_win.h"
#include "ui/row_list_win.h"
#include "ui/widgets_win.h"

namespace app::win {
namespace {

using namespace ui::ids;
using compose::ScriptChange;
using compose::Session;
using ui::widgets::RowLook;

// A line longer than this is checked from its start only, as the preview reads its texts.
constexpr std::size_t kCheckedBytes = 64 * 1024;

compose::ScriptModel& Script() {
  return Session().Script();
}

std::vector<compose::LineNote> NotesOf(std::size_t row) {
  const std::string text = Script().RowText(row);
  if (text.size() <= kCheckedBytes) return compose::CheckScriptLine(text);
  std::size_t start = 0;
  while (start < kCheckedBytes) start += base::CharLength(text, start);
  const std::string_view rest = std::string_view(text).substr(start);
  return compose::CheckScriptLine(std::string_view(text).substr(0, start),
                                  compose::GameLength(rest));
}

class ScriptRows final : public ui::widgets::RowSource {
 public:
  std::size_t RowCount() override { return Script().RowCount(); }
  void PaintRow(HDC dc, const RECT& rect, std::size_t row, const RowLook& look) override {
    const compose::NotesLine notes = compose::SummarizeNotes(NotesOf(row));
    PaintScriptRow(dc, rect, look, {row + 1, Script().Row(row), notes.text, notes.problem});
  }
  std::wstring RowName(std::size_t row) override {
    const compose::NotesLine notes = compose::SummarizeNotes(NotesOf(row));
    return base::WideFromGbk(compose::SpokenRow(row, Script().Row(row), notes.text));
  }
};

// The commands that create the script: "/vrnl create NAME" first when asked for, then one add
// command per row, made as they come into view.
class ExportRows final : public ui::widgets::RowSource {
 public:
  bool withCreate = false;

  std::size_t RowCount() override { return Script().RowCount() + (withCreate ? 1 : 0); }
  std::string Command(std::size_t row) const {
    if (withCreate && row == 0) return compose::CreateCommand(Script().Name());
    return compose::AddCommand(Script().Name(), Script().RowText(row - (withCreate ? 1 : 0)));
  }
  void PaintRow(HDC dc, const RECT& rect, std::size_t row, const RowLook& look) override {
    const std::string command = Command(row);
    PaintCommandRow(dc, rect, look, row + 1, command,
                    compose::GameLength(command) > compose::kChatLimit);
  }
  std::wstring RowName(std::size_t row) override {
    const std::string command = Command(row);
    const bool tooLong = compose::GameLength(command) > compose::kChatLimit;
    return base::WideFromGbk(command) + (tooLong ? L"（超出聊天栏256字）" : L"");
  }
};

// The history's entries that hold the search text, newest first.
class HistoryRows final : public ui::widgets::RowSource {
 public:
  std::vector<std::size_t> matches;

  std::size_t RowCount() override { return matches.size(); }
  const std::string& Entry(std::size_t row) const {
    return Session().History().Entries()[matches[row]];
  }
  void PaintRow(HDC dc, const RECT& rect, std::size_t row, const RowLook& look) override {
    PaintCommandRow(dc, rect, look, 0, Entry(row), false);
  }
  std::wstring RowName(std::size_t row) override { return base::WideFromGbk(Entry(row)); }
};

class WorkbenchWindow {
 public:
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Build(HWND hwnd, const ui::WindowDescription& description,
             const ui::win::WindowPlace& place);
  void Show();
  bool TranslateKey(MSG& msg);
  void Run(WorkbenchCommand command);
  // Asks about unsaved changes; true when the user let the script go (saved or not).
  bool AgreeToLeave(bool revertWhenDiscarded);
  // The commands that create the script; nothing (and a note at the name) when its name does not
  // fit them.
  std::optional<std::vector<compose::ScriptCommand>> Commands();
  HWND Hwnd() const { return window_.Hwnd(); }

 private:
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose();
  LRESULT OnActivate(WPARAM wParam);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClient(HDC dc);
  LRESULT OnDestroy();

  void OnListEvent(ui::ControlId list, WORD code);
  void OnEditChanged(ui::ControlId edit);
  void OnScriptChanged(const ScriptChange& change);
  bool OnControlKey(WPARAM key, bool shift);
  bool OnPlainKey(WPARAM key);

  // The form of the selected row.
  void ShowForm(std::optional<std::size_t> row);
  void ApplyForm();
  void DiscardForm();
  void EditSelectedRow();
  bool FormHasFocus() const;
  void CommitName();

  // Commands.
  void StartNew();
  void OpenFile(bool fromRecent);
  bool Save();
  bool SaveAs();
  bool FinishSave(const compose::SaveResult& result);
  void Import();
  void ChangeRows(WorkbenchCommand command);
  void ExportAll();
  void CopySelectedCommand();
  void CopyHistoryEntry();
  void SendAll();
  void SendHistoryEntry();
  void Copy(const std::string& text, ui::ControlId noteAt, const std::string& note);

  void RefreshHistory();
  void UpdateStatus();
  std::optional<std::size_t> Selected() const;
  HWND Control(ui::ControlId id) const { return window_.Control(id); }
  // Whether the control itself is shown, whether the window is yet or not.
  bool Shown(ui::ControlId id) const {
    return (GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
  }
  ui::ControlId FocusedId() const;
  void SetText(ui::ControlId id, std::string_view gbk);
  std::string TextOf(ui::ControlId id) const;
  void Note(ui::ControlId at, std::string_view text) const;

  ui::win::DescribedWindow window_;
  ScriptRows scriptRows_;
  ExportRows exportRows_;
  HistoryRows historyRows_;
  std::optional<std::size_t> formRow_;
  bool formDirty_ = false;
  bool filling_ = false;      // the window itself is writing its edit boxes
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window was left
  bool asking_ = false;       // the question about unsaved changes is showing
};

using WorkbenchWindowClass = base::WindowState<WorkbenchWindow>;
WorkbenchWindow* g_workbench = nullptr;

LRESULT WorkbenchWindow::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_CLOSE:
      return OnClose();
    case WM_ACTIVATE:
      return OnActivate(wParam);
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

bool WorkbenchWindow::Build(HWND hwnd, const ui::WindowDescription& description,
                            const ui::win::WindowPlace& place) {
  if (!window_.Build(hwnd, description, place)) return false;
  g_workbench = this;
  ui::widgets::SetRowSource(Control(kScriptRows), &scriptRows_, 2);
  ui::widgets::SetRowSource(Control(kExportList), &exportRows_, 1);
  ui::widgets::SetRowSource(Control(kHistoryList), &historyRows_, 1);
  Script().SetListener([this](const ScriptChange& change) { OnScriptChanged(change); });
  OnScriptChanged({.kind = ScriptChange::Kind::kAll});
  // The last row, where a builder's next line goes.
  if (Script().RowCount() > 0) {
    ui::widgets::SelectRow(Control(kScriptRows), Script().RowCount() - 1);
    ShowForm(Script().RowCount() - 1);
  }
  RefreshHistory();
  return true;
}

void WorkbenchWindow::Show() {
  ShowWindow(Hwnd(), SW_SHOWNORMAL);
  SetFocus(Control(kScriptRows));
  UpdateWindow(Hwnd());
  // A restored file that was odd is told once, when the user first sees it.
  const std::vector<compose::FileProblem> problems = Session().TakeProblems();
  if (!problems.empty()) TellFileProblems(Hwnd(), Session().Path(), problems);
}

bool WorkbenchWindow::TranslateKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  if (control && !alt) return OnControlKey(msg.wParam, shift);
  if (alt && !control && (msg.wParam == VK_UP || msg.wParam == VK_DOWN)) {
    Run(msg.wParam == VK_UP ? WorkbenchCommand::kMoveUp : WorkbenchCommand::kMoveDown);
    return true;
  }
  if (!control && !alt && !shift && OnPlainKey(msg.wParam)) return true;
  return window_.TranslateNavigation(msg);
}

bool WorkbenchWindow::OnControlKey(WPARAM key, bool shift) {
  // In the name and the search box Ctrl+Z and Ctrl+Y take back typing, as in any edit box.
  const ui::ControlId focused = FocusedId();
  if ((key == 'Z' || key == 'Y') && (focused == kScriptName || focused == kHistorySearch)) {
    return false;
  }
  switch (key) {
    case 'Z':
      if (FormHasFocus() && formDirty_) {
        DiscardForm();
      } else {
        Run(WorkbenchCommand::kUndo);
      }
      return true;
    case 'Y':
      Run(WorkbenchCommand::kRedo);
      return true;
    case 'S':
      Run(shift ? WorkbenchCommand::kSaveAs : WorkbenchCommand::kSave);
      return true;
    case 'O':
      Run(WorkbenchCommand::kOpen);
      return true;
    case 'N':
      Run(WorkbenchCommand::kNew);
      return true;
    case 'D':
      Run(WorkbenchCommand::kDuplicate);
      return true;
    case 'E':
      return true;  // the workbench is open already
    default:
      return false;
  }
}

bool WorkbenchWindow::OnPlainKey(WPARAM key) {
  const ui::ControlId focused = FocusedId();
  if (key == VK_DELETE && focused == kScriptRows) {
    Run(WorkbenchCommand::kDelete);
    return true;
  }
  if (key == VK_ESCAPE) {
    if (FormHasFocus() && formDirty_) {
      DiscardForm();
    } else {
      PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
    }
    return true;
  }
  if (key != VK_RETURN) return false;
  if (FormHasFocus()) {
    ApplyForm();
    SetFocus(Control(kScriptRows));
  } else if (focused == kScriptName) {
    CommitName();
  } else if (focused == kHistorySearch) {
    CopyHistoryEntry();
  } else {
    return false;
  }
  return true;
}

void WorkbenchWindow::Run(WorkbenchCommand command) {
  switch (command) {
    case WorkbenchCommand::kNew:
      return StartNew();
    case WorkbenchCommand::kOpen:
      return OpenFile(false);
    case WorkbenchCommand::kRecent:
      return OpenFile(true);
    case WorkbenchCommand::kSave:
      Save();
      return;
    case WorkbenchCommand::kSaveAs:
      SaveAs();
      return;
    case WorkbenchCommand::kImport:
      return Import();
    case WorkbenchCommand::kApplyEdit:
      return ApplyForm();
    case WorkbenchCommand::kDiscardEdit:
      return DiscardForm();
    case WorkbenchCommand::kExportAll:
      return ExportAll();
    case WorkbenchCommand::kCopyCommand:
      return CopySelectedCommand();
    case WorkbenchCommand::kSendAll:
      return SendAll();
    case WorkbenchCommand::kSendHistoryEntry:
      return SendHistoryEntry();
    default:
      return ChangeRows(command);
  }
}

bool WorkbenchWindow::AgreeToLeave(bool revertWhenDiscarded) {
  // The main window stays enabled under the question: a second close waits for the first answer.
  if (asking_) return false;
  ApplyForm();
  CommitName();
  if (!Script().Modified()) return true;
  asking_ = true;
  const UnsavedAnswer answer = AskAboutUnsavedChanges(Hwnd(), Script().Name());
  asking_ = false;
  switch (answer) {
    case UnsavedAnswer::kSave:
      return Save();
    case UnsavedAnswer::kDiscard:
      if (revertWhenDiscarded) Session().Revert();
      return true;
    case UnsavedAnswer::kStay:
      break;
  }
  return false;
}

// ---- Messages ----------------------------------------------------------------------------------

LRESULT WorkbenchWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  const ui::Element* element = window_.ElementOf(reinterpret_cast<HWND>(lParam));
  if (element == nullptr) return 0;
  const WORD code = HIWORD(wParam);
  switch (element->kind) {
    case ui::Kind::kButton:
      if (code != BN_CLICKED) break;
      if (const ui::Handler handler = ui::FindHandler(element->events)) handler();
      break;
    case ui::Kind::kCheckBox:
      exportRows_.withCreate = SendMessageW(Control(kWithCreate), BM_GETCHECK, 0, 0) == BST_CHECKED;
      ui::widgets::RowsChanged(Control(kExportList));
      break;
    case ui::Kind::kRowList:
      OnListEvent(element->id, code);
      break;
    case ui::Kind::kEditBox:
      if (code == EN_CHANGE) OnEditChanged(element->id);
      if (code == EN_KILLFOCUS && element->id == kScriptName) CommitName();
      break;
    default:
      break;
  }
  return 0;
}

LRESULT WorkbenchWindow::OnClose() {
  if (AgreeToLeave(true)) DestroyWindow(Hwnd());
  return 0;
}

// Coming back, the user finds the focus where it was and the commands copied in the main window
// meanwhile in the history.
LRESULT WorkbenchWindow::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Hwnd(), focus)) lastFocus_ = focus;
    return 0;
  }
  RefreshHistory();
  if (HIWORD(wParam) == 0 && lastFocus_ != nullptr && IsWindow(lastFocus_)) {
    SetFocus(lastFocus_);
    return 0;
  }
  return DefWindowProcW(Hwnd(), WM_ACTIVATE, wParam, 0);
}

LRESULT WorkbenchWindow::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  window_.OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
  return 0;
}

// Labels on the window paint its background under them through this.
LRESULT WorkbenchWindow::OnPrintClient(HDC dc) {
  ui::widgets::FillWindowBackground(Hwnd(), dc);
  return 0;
}

LRESULT WorkbenchWindow::OnDestroy() {
  Script().SetListener({});
  if (g_workbench == this) g_workbench = nullptr;
  return 0;
}

void WorkbenchWindow::OnListEvent(ui::ControlId list, WORD code) {
  using ui::widgets::kRowActivated;
  using ui::widgets::kRowClicked;
  using ui::widgets::kRowSelected;
  if (list == kScriptRows && code == kRowSelected) {
    // What was typed into the form goes into its row before another row is shown.
    const std::optional<std::size_t> chosen = Selected();
    if (formDirty_ && formRow_ != chosen) ApplyForm();
    ui::widgets::SelectRow(Control(kScriptRows), chosen);
    ShowForm(chosen);
    if (chosen) ui::widgets::SelectRow(Control(kExportList), *chosen + exportRows_.withCreate);
  } else if (list == kScriptRows && code == kRowActivated) {
    EditSelectedRow();
  } else if (list == kExportList && code == kRowActivated) {
    CopySelectedCommand();
  } else if (list == kHistoryList && (code == kRowClicked || code == kRowActivated)) {
    CopyHistoryEntry();
  }
}

void WorkbenchWindow::OnEditChanged(ui::ControlId edit) {
  if (filling_) return;
  if (edit == kHistorySearch) {
    RefreshHistory();
    return;
  }
  const auto field = std::find(std::begin(kFields), std::end(kFields), edit);
  if (field == std::end(kFields) && edit != kRawLine) return;
  formDirty_ = formRow_.has_value();
  if (field == std::end(kFields) || !formRow_) return;
  // The whole line follows the fields as they are typed.
  std::vector<std::string> texts;
  for (const ui::ControlId id : kFields) {
    if (Shown(id)) texts.push_back(TextOf(id));
  }
  filling_ = true;
  SetText(kRawLine, compose::LineOfForm(Script().Row(*formRow_), texts));
  filling_ = false;
}

// The rows of a list that show rows of the script from offset on.
void RowsOfScriptChanged(HWND list, const ScriptChange& change, std::size_t offset) {
  using Kind = ScriptChange::Kind;
  switch (change.kind) {
    case Kind::kRows:
      ui::widgets::RowsChanged(list, offset + change.first,
                               std::max(change.removed, change.inserted));
      break;
    case Kind::kMoved: {
      const std::size_t first = std::min(change.first, change.to);
      const std::size_t count = std::max(change.first, change.to) - first + change.count;
      ui::widgets::RowsChanged(list, offset + first, count);
      break;
    }
    case Kind::kAll:
      ui::widgets::RowsChanged(list);
      break;
    case Kind::kName:
    case Kind::kState:
      break;
  }
}

void WorkbenchWindow::OnScriptChanged(const ScriptChange& change) {
  using Kind = ScriptChange::Kind;
  HWND list = Control(kScriptRows);
  RowsOfScriptChanged(list, change, 0);
  if (change.kind == Kind::kName || change.kind == Kind::kAll) {
    filling_ = true;
    SetText(kScriptName, Script().Name());
    filling_ = false;
  }
  // A builder's line added while the form holds typing leaves the form where it is.
  const bool appendedBehindTheForm = formDirty_ && formRow_ && change.kind == Kind::kRows &&
                                     change.removed == 0 && change.first > *formRow_;
  if (change.kind != Kind::kName && change.kind != Kind::kState && !appendedBehindTheForm) {
    const std::optional<std::size_t> selected =
        compose::SelectionAfter(change, Selected(), Script().RowCount());
    ui::widgets::SelectRow(list, selected);
    ShowForm(selected);
  }
  // The export list names the script in every command; its first row may be the create one.
  RowsOfScriptChanged(Control(kExportList),
                      change.kind == Kind::kName ? ScriptChange{.kind = Kind::kAll} : change,
                      exportRows_.withCreate ? 1 : 0);
  UpdateStatus();
}

// ---- The form ----------------------------------------------------------------------------------

void WorkbenchWindow::ShowForm(std::optional<std::size_t> row) {
  filling_ = true;
  formRow_ = row;
  formDirty_ = false;
  const compose::ScriptLine* line = row ? &Script().Row(*row) : nullptr;
  std::vector<compose::FormField> fields;
  if (line != nullptr && line->directive != compose::Directive::kRaw) {
    fields = compose::FormOfRow(*line);
  }
  std::string caption = "没有选中的行";
  if (line != nullptr) {
    caption = "第" + std::to_string(*row + 1) + "行：" + std::string(compose::RowCaption(*line));
    if (fields.empty()) caption += "（这一行不是本程序能读出的指令，请直接修改整行）";
  }
  SetText(kDirectiveCaption, caption);
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    const bool shown = i < fields.size();
    if (Shown(kFields[i]) != shown) {
      ShowWindow(Control(kFieldLabels[i]), shown ? SW_SHOWNA : SW_HIDE);
      ShowWindow(Control(kFields[i]), shown ? SW_SHOWNA : SW_HIDE);
    }
    if (!shown) continue;
    const std::string label = std::string(fields[i].label) + "：";
    if (base::GbkFromWide(base::WindowText(Control(kFieldLabels[i]))) != label) {
      SetText(kFieldLabels[i], label);
      ui::widgets::SetAccessibleName(Control(kFields[i]), base::WideFromGbk(label), nullptr);
    }
    SetText(kFields[i], fields[i].text);
  }
  SetText(kRawLine, line != nullptr ? Script().RowText(*row) : std::string());
  EnableWindow(Control(kRawLine), line != nullptr);
  filling_ = false;
}

void WorkbenchWindow::ApplyForm() {
  if (!formDirty_ || !formRow_ || *formRow_ >= Script().RowCount()) return;
  const std::string text = TextOf(kRawLine);
  formDirty_ = false;
  if (text != Script().RowText(*formRow_)) Script().ReplaceLine(*formRow_, text);
}

void WorkbenchWindow::DiscardForm() {
  ShowForm(formRow_);
}

// Enter on a row: to its first field (or the whole line), its text selected for typing over.
void WorkbenchWindow::EditSelectedRow() {
  HWND target = Control(kRawLine);
  for (const ui::ControlId id : kFields) {
    if (Shown(id)) {
      target = Control(id);
      break;
    }
  }
  if (!IsWindowEnabled(target)) return;
  SetFocus(target);
  SendMessageW(target, EM_SETSEL, 0, -1);
}

bool WorkbenchWindow::FormHasFocus() const {
  const ui::ControlId focused = FocusedId();
  return focused == kRawLine ||
         std::find(std::begin(kFields), std::end(kFields), focused) != std::end(kFields);
}

void WorkbenchWindow::CommitName() {
  const std::string name = TextOf(kScriptName);
  if (name != Script().Name()) Script().Rename(name);
}

// ---- Commands ----------------------------------------------------------------------------------

void WorkbenchWindow::StartNew() {
  if (AgreeToLeave(false)) Session().StartNew();
}

void WorkbenchWindow::OpenFile(bool fromRecent) {
  if (!AgreeToLeave(false)) return;
  const std::optional<std::string> path =
      fromRecent ? ChooseRecentScript(Hwnd(), Control(kRecentScripts), Session().Recent())
                 : ChooseScriptToOpen(Hwnd());
  if (!path) return;
  const compose::ScriptSession::OpenResult result = Session().Open(*path);
  TellFileProblems(Hwnd(), *path, result.problems);
  UpdateStatus();
}

bool WorkbenchWindow::Save() {
  ApplyForm();
  CommitName();
  return FinishSave(Session().Save());
}

bool WorkbenchWindow::SaveAs() {
  ApplyForm();
  CommitName();
  if (const std::string problem = compose::ScriptNameProblem(Script().Name()); !problem.empty()) {
    return FinishSave({compose::SaveResult::Kind::kBadName, {}});
  }
  const std::optional<std::string> path =
      ChooseWhereToSave(Hwnd(), Script().Name(), Session().Path());
  return path && FinishSave(Session().SaveAs(*path, true));
}

bool WorkbenchWindow::FinishSave(const compose::SaveResult& result) {
  using Kind = compose::SaveResult::Kind;
  switch (result.kind) {
    case Kind::kSaved:
      UpdateStatus();
      Note(kSaveScript, "已保存：" + base::GbkFromWide(FileNameOf(result.path)));
      return true;
    case Kind::kBadName:
      Note(kScriptName, compose::ScriptNameProblem(Script().Name()));
      SetFocus(Control(kScriptName));
      return false;
    case Kind::kNoPath:
      return SaveAs();
    case Kind::kExists:
      return AskToReplace(Hwnd(), result.path) && FinishSave(Session().SaveAs(result.path, true));
    case Kind::kFailed:
      TellSaveFailed(Hwnd(), result.path);
      return false;
  }
  return false;
}

// Imported rows go after the selected row (or at the end) in one step; a script without a name
// takes the one the pasted commands gave.
void WorkbenchWindow::Import() {
  ApplyForm();
  const std::optional<ImportedRows> imported = RunImportWindow(Hwnd());
  if (!imported || imported->lines.empty()) return;
  const std::optional<std::size_t> selected = Selected();
  Script().Insert(selected ? *selected + 1 : Script().RowCount(), imported->lines);
  if (Script().Name().empty() && !imported->name.empty()) Script().Rename(imported->name);
  Note(kImportLines, "已导入 " + std::to_string(imported->lines.size()) + " 行");
}

void WorkbenchWindow::ChangeRows(WorkbenchCommand command) {
  ApplyForm();
  const std::optional<std::size_t> row = Selected();
  bool changed = false;
  switch (command) {
    case WorkbenchCommand::kUndo:
      changed = Script().Undo();
      break;
    case WorkbenchCommand::kRedo:
      changed = Script().Redo();
      break;
    case WorkbenchCommand::kMoveUp:
      changed = row && Script().MoveUp(*row);
      break;
    case WorkbenchCommand::kMoveDown:
      changed = row && Script().MoveDown(*row);
      break;
    case WorkbenchCommand::kDuplicate:
      changed = row && Script().Duplicate(*row);
      break;
    case WorkbenchCommand::kDelete:
      changed = row && Script().Remove(*row);
      break;
    default:
      return;
  }
  if (!changed) MessageBeep(MB_OK);
}

std::optional<std::vector<compose::ScriptCommand>> WorkbenchWindow::Commands() {
  ApplyForm();
  CommitName();
  if (const std::string problem = compose::ScriptNameProblem(Script().Name()); !problem.empty()) {
    Note(kScriptName, problem);
    SetFocus(Control(kScriptName));
    return std::nullopt;
  }
  return compose::ScriptCommands(Script().Name(), Script().Rows(), exportRows_.withCreate);
}

void WorkbenchWindow::ExportAll() {
  const std::optional<std::vector<compose::ScriptCommand>> made = Commands();
  if (!made) return;
  const std::vector<compose::ScriptCommand>& commands = *made;
  if (commands.empty()) {
    Note(kExportAll, "脚本还没有脚本行，没有可复制的指令，剪贴板未改变");
    return;
  }
  const auto tooLong =
      std::count_if(commands.begin(), commands.end(),
                    [](const compose::ScriptCommand& c) { return c.tooLongForChat; });
  std::string note = "已复制 " + std::to_string(commands.size()) + " 条指令，一行一条";
  if (tooLong > 0) {
    note += "；其中 " + std::to_string(tooLong) + " 条超出聊天栏256字，请粘贴到服务器控制台";
  }
  Copy(compose::CommandBlock(commands), kExportAll, note);
}

void WorkbenchWindow::CopySelectedCommand() {
  const std::optional<std::size_t> row = ui::widgets::SelectedRow(Control(kExportList));
  if (!row || *row >= exportRows_.RowCount()) {
    Note(kCopyCommand, "请先在上面的列表里选中一条指令");
    return;
  }
  const std::string command = exportRows_.Command(*row);
  Copy(command, kCopyCommand,
       compose::GameLength(command) > compose::kChatLimit
           ? "已复制；这条指令超出聊天栏256字，请粘贴到服务器控制台"
           : "已复制这条指令");
}

void WorkbenchWindow::CopyHistoryEntry() {
  HWND list = Control(kHistoryList);
  std::optional<std::size_t> row = ui::widgets::SelectedRow(list);
  if (!row && !historyRows_.matches.empty()) row = 0;
  if (!row) {
    Note(kHistorySearch, "没有符合的指令");
    return;
  }
  Copy(historyRows_.Entry(*row), kHistoryList, "已再次复制");
}

// The block "生成全部指令" copies goes to the server, a command a line: the server's answers and
// where sending stopped are in the console log.
void WorkbenchWindow::SendAll() {
  const std::optional<std::vector<compose::ScriptCommand>> made = Commands();
  if (!made) return;
  if (made->empty()) {
    Note(kSendAll, "脚本还没有脚本行，没有可发送的指令");
    return;
  }
  std::vector<std::string> commands;
  for (const compose::ScriptCommand& command : *made) commands.push_back(command.text);
  SendCommandsToServer(std::move(commands),
                       {ui::ids::kWorkbenchWindow, kSendAll, ui::Kind::kButton});
}

void WorkbenchWindow::SendHistoryEntry() {
  const std::optional<std::size_t> row = ui::widgets::SelectedRow(Control(kHistoryList));
  if (!row || *row >= historyRows_.matches.size()) {
    Note(kSendHistoryEntry, "请先在上面的列表里选中一条指令");
    return;
  }
  SendCommandsToServer({historyRows_.Entry(*row)},
                       {ui::ids::kWorkbenchWindow, kSendHistoryEntry, ui::Kind::kButton});
}

void WorkbenchWindow::Copy(const std::string& text, ui::ControlId noteAt, const std::string& note) {
  if (!ui::Frame().CopyToClipboard(text)) {
    Note(noteAt, "剪贴板正被别的程序占用，没有复制，请再试一次");
    return;
  }
  Session().NoteCopied(text);
  RefreshHistory();
  Note(noteAt, note);
}

// ---- Helpers -----------------------------------------------------------------------------------

void WorkbenchWindow::RefreshHistory() {
  HWND list = Control(kHistoryList);
  const std::optional<std::size_t> selected = ui::widgets::SelectedRow(list);
  const std::size_t entry = selected && *selected < historyRows_.matches.size()
                                ? historyRows_.matches[*selected]
                                : static_cast<std::size_t>(-1);
  historyRows_.matches = Session().History().Search(TextOf(kHistorySearch));
  ui::widgets::RowsChanged(list);
  // A copy moves its entry to the top: the selection goes with it.
  const bool kept = selected && std::find(historyRows_.matches.begin(), historyRows_.matches.end(),
                                          entry) != historyRows_.matches.end();
  ui::widgets::SelectRow(list, kept ? std::optional<std::size_t>(0) : std::nullopt);
}

void WorkbenchWindow::UpdateStatus() {
  const std::string& path = Session().Path();
  std::wstring status = path.empty() ? L"新脚本，还没有保存过" : L"文件：" + WidePath(path);
  status += L"　　共 " + std::to_wstring(Script().RowCount()) + L" 行";
  if (Script().Modified()) status += L"　　有未保存的修改";
  if (base::WindowText(Control(kScriptStatus)) != status) {
    ui::widgets::SetControlText(Control(kScriptStatus), status);
  }
}

std::optional<std::size_t> WorkbenchWindow::Selected() const {
  return ui::widgets::SelectedRow(Control(kScriptRows));
}

ui::ControlId WorkbenchWindow::FocusedId() const {
  const ui::Element* element = window_.ElementOf(GetFocus());
  return element != nullptr ? element->id : 0;
}

// A text that stays is not written again: every write repaints the control.
void WorkbenchWindow::SetText(ui::ControlId id, std::string_view gbk) {
  const std::wstring text = base::WideFromGbk(gbk);
  if (base::WindowText(Control(id)) != text) ui::widgets::SetControlText(Control(id), text);
}

std::string WorkbenchWindow::TextOf(ui::ControlId id) const {
  return base::GbkFromWide(base::WindowText(Control(id)));
}

void WorkbenchWindow::Note(ui::ControlId at, std::string_view text) const {
  HWND control = Control(at);
  RECT rect{};
  GetWindowRect(control, &rect);
  ui::widgets::ShowNote(control, rect, text);
}

// ---- The program's commands and keys
// -------------------------------------------------------------

void RunCommandOfTheProgram(WorkbenchCommand command) {
  switch (command) {
    case WorkbenchCommand::kShow:
      ShowWorkbench();
      return;
    case WorkbenchCommand::kJoinRow:
    case WorkbenchCommand::kSplitRow:
    case WorkbenchCommand::kImportRows:
    case WorkbenchCommand::kCancelImport:
      return RunImportCommand(command);
    default:
      if (g_workbench != nullptr) g_workbench->Run(command);
      return;
  }
}

bool IsFrameWindow(HWND root) {
  wchar_t name[32] = {};
  GetClassNameW(root, name, 32);
  return lstrcmpW(name, L"ComposerWindow") == 0;
}

// The workbench's and the import window's keys, and Ctrl+E in the frame's windows.
bool FilterProgramKeys(MSG& msg) {
  if (msg.hwnd == nullptr || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) {
    return false;
  }
  if (TranslateImportKeys(msg)) return true;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (g_workbench != nullptr && root == g_workbench->Hwnd()) return g_workbench->TranslateKey(msg);
  const bool onlyControl =
      GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0;
  if (msg.wParam == 'E' && onlyControl && IsFrameWindow(root) && IsWindowEnabled(root)) {
    ShowWorkbench();
    return true;
  }
  return false;
}

}  // namespace

bool EnableWorkbench() {
  if (!base::RegisterWindowClass({.name = kWorkbenchClass,
                                  .procedure = WorkbenchWindowClass::Procedure,
                                  .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)}) ||
      !RegisterImportClass()) {
    return false;
  }
  Session().SetStorage(&ProgramScriptStorage());
  SetWorkbenchCommandRunner(&RunCommandOfTheProgram);
  ui::win::SetMessageFilter(&FilterProgramKeys);
  return true;
}

HWND ShowWorkbench() {
  if (g_workbench != nullptr) {
    HWND hwnd = g_workbench->Hwnd();
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
    return hwnd;
  }
  const ui::WindowDescription* description =
      ui::FindWindowDescription(WindowDescriptions(), kWorkbenchWindow);
  if (description == nullptr) return nullptr;
  const ui::win::WindowPlace place = ui::win::PlaceNewWindow(*description);
  auto* state = new WorkbenchWindow;
  const std::wstring title = base::WideFromGbk(description->title);
  HWND hwnd = WorkbenchWindowClass::Create(
      state, ui::win::TopLevelExStyle() | WS_EX_APPWINDOW, kWorkbenchClass, title.c_str(),
      ui::win::TopLevelStyle(), place.rect.left, place.rect.top, place.rect.right - place.rect.left,
      place.rect.bottom - place.rect.top, nullptr, nullptr, base::ProgramInstance());
  if (hwnd == nullptr) return nullptr;
  if (!state->Build(hwnd, *description, place)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  state->Show();
  return hwnd;
}

HWND Workbench() {
  return g_workbench != nullptr ? g_workbench->Hwnd() : nullptr;
}

bool CloseWorkbench() {
  if (g_workbench == nullptr) return true;
  if (!g_workbench->AgreeToLeave(true)) return false;
  DestroyWindow(g_workbench->Hwnd());
  return true;
}

void DestroyWorkbench() {
  if (g_workbench != nullptr) DestroyWindow(g_workbench->Hwnd());
}

std::optional<std::vector<compose::ScriptCommand>> WorkbenchCommands() {
  if (g_workbench == nullptr) return std::nullopt;
  return g_workbench->Commands();
}

}  // namespace app::win
