// The workbench's questions and messages about files. The common file dialogs are looked up on
// first use: comdlg32 and what it pulls in stay out of start-up.
#include "app/workbench_dialogs_win.h"

#include <commdlg.h>

#include "app/script_files_win.h"
#include "base/late_bound_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "compose/script_file.h"
#include "ui/prompt_dialog_win.h"

namespace app::win {
namespace {

constexpr wchar_t kScriptFilter[] = L"Varnel 脚本 (*.txt)\0*.txt\0所有文件 (*.*)\0*.*\0";
constexpr DWORD kPathUnits = 32768;

OPENFILENAMEW FileDialog(HWND owner, std::wstring& buffer, const std::wstring& folder) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kScriptFilter;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrDefExt = L"txt";
  return dialog;
}

std::optional<std::string> ChosenPath(BOOL chosen, std::wstring& buffer) {
  if (!chosen) return std::nullopt;
  buffer.resize(wcslen(buffer.c_str()));
  return Utf8Path(buffer);
}

}  // namespace

std::optional<std::string> ChooseScriptToOpen(HWND owner) {
  static const auto open =
      base::LateBound<decltype(&::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  if (open == nullptr) return std::nullopt;
  std::wstring buffer(kPathUnits, L'\0');
  const std::wstring folder = ScriptsFolder();
  OPENFILENAMEW dialog = FileDialog(owner, buffer, folder);
  dialog.lpstrTitle = L"打开脚本";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  return ChosenPath(open(&dialog), buffer);
}

std::optional<std::string> ChooseWhereToSave(HWND owner, std::string_view name,
                                             const std::string& currentPath) {
  static const auto save =
      base::LateBound<decltype(&::GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  if (save == nullptr) return std::nullopt;
  std::wstring buffer(kPathUnits, L'\0');
  const std::wstring suggested = currentPath.empty()
                                     ? base::WideFromGbk(compose::ScriptFileName(name))
                                     : WidePath(currentPath);
  buffer.replace(0, std::min<std::size_t>(suggested.size(), kPathUnits - 1), suggested);
  const std::wstring folder = ScriptsFolder();
  if (!folder.empty()) CreateDirectoryW(folder.c_str(), nullptr);
  OPENFILENAMEW dialog = FileDialog(owner, buffer, folder);
  dialog.lpstrTitle = L"脚本另存为";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  return ChosenPath(save(&dialog), buffer);
}

std::optional<std::string> ChooseRecentScript(HWND owner, HWND button,
                                              const compose::RecentScripts& recent) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return std::nullopt;
  if (recent.paths.empty()) AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, L"（还没有打开过脚本）");
  for (std::size_t i = 0; i < recent.paths.size(); ++i) {
    // "&1 name  (folder)": the number is the item's access key.
    const std::wstring item = L"&" + std::to_wstring((i + 1) % 10) + L"  " +
                              FileNameOf(recent.paths[i]) + L"\t" + WidePath(recent.paths[i]);
    AppendMenuW(menu, MF_STRING, i + 1, item.c_str());
  }
  RECT below{};
  GetWindowRect(button, &below);
  const auto chosen = static_cast<std::size_t>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY, below.left,
                     below.bottom, 0, owner, nullptr));
  DestroyMenu(menu);
  if (chosen == 0 || chosen > recent.paths.size()) return std::nullopt;
  return recent.paths[chosen - 1];
}

UnsavedAnswer AskAboutUnsavedChanges(HWND owner, std::string_view name) {
  const std::wstring shown =
      name.empty() ? L"未命名的脚本" : L"脚本“" + base::WideFromGbk(name) + L"”";
  const std::wstring question = shown + L"有未保存的修改。要先保存吗？";
  const std::wstring_view answers[] = {L"保存(&S)", L"不保存(&N)", L"取消"};
  switch (
      ui::AskChoiceDialog(base::ProgramInstance(), owner, L"脚本工作台", question, answers, 2)) {
    case 0:
      return UnsavedAnswer::kSave;
    case 1:
      return UnsavedAnswer::kDiscard;
    default:
      return UnsavedAnswer::kStay;
  }
}

bool AskToReplace(HWND owner, const std::string& path) {
  const std::wstring question =
      L"“" + WidePath(path) + L"”已经存在，而且不是从这里打开的。要用这个脚本替换它吗？";
  const std::wstring_view answers[] = {L"替换(&R)", L"取消"};
  return ui::AskChoiceDialog(base::ProgramInstance(), owner, L"保存脚本", question, answers, 1) ==
         0;
}

void TellFileProblems(HWND owner, const std::string& path,
                      std::span<const compose::FileProblem> problems) {
  if (problems.empty()) return;
  std::wstring text = L"“" + WidePath(path) + L"”：";
  for (const compose::FileProblem problem : problems) {
    text += L"\r\n" + base::WideFromGbk(compose::DescribeFileProblem(problem));
  }
  MessageBoxW(owner, text.c_str(), L"脚本工作台", MB_OK | MB_ICONWARNING);
}

void TellSaveFailed(HWND owner, const std::string& path) {
  const std::wstring text =
      L"无法保存到“" + WidePath(path) + L"”，文件没有改变。请检查文件夹是否存在、是否可写。";
  MessageBoxW(owner, text.c_str(), L"保存脚本", MB_OK | MB_ICONERROR);
}

std::wstring FileNameOf(const std::string& path) {
  const std::wstring wide = WidePath(path);
  const std::size_t slash = wide.find_last_of(L"\\/");
  return slash == std::wstring::npos ? wide : wide.substr(slash + 1);
}

}  // namespace app::win
