// The workbench's files on disk. They live in the folder of the settings file (APPDATA from the
// environment first, as settings_win finds it), so that tests and portable set-ups move them
// together.
#include "app/script_files_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "app/settings_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"

namespace app::win {
namespace {

constexpr wchar_t kScriptsFolderName[] = L"scripts";
constexpr wchar_t kHistoryFileName[] = L"history.txt";
constexpr wchar_t kRecentFileName[] = L"recent_scripts.txt";
// The recent list is a dozen paths.
constexpr std::size_t kMaxRecentFileBytes = 64 * 1024;

std::wstring ComposerFolder() {
  const std::wstring settings = SettingsPath();
  const std::size_t slash = settings.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : settings.substr(0, slash);
}

std::wstring InComposerFolder(const wchar_t* name) {
  const std::wstring folder = ComposerFolder();
  return folder.empty() ? std::wstring() : folder + L"\\" + name;
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::u16string Utf16FromWide(std::wstring_view wide) {
  return std::u16string(wide.begin(), wide.end());
}

std::wstring WideFromUtf16(std::u16string_view utf16) {
  return std::wstring(utf16.begin(), utf16.end());
}

const base::GbkCodec kConversion{
    [](std::string_view gbk) { return Utf16FromWide(base::WideFromGbk(gbk)); },
    [](std::u16string_view wide) { return base::GbkFromWide(WideFromUtf16(wide)); },
};

}  // namespace

const base::GbkCodec& GbkConversion() {
  return kConversion;
}

std::wstring ScriptsFolder() {
  return InComposerFolder(kScriptsFolderName);
}

std::wstring DefaultScriptPath(std::string_view gbkName) {
  const std::string file = compose::ScriptFileName(gbkName);
  const std::wstring folder = ScriptsFolder();
  if (file.empty() || folder.empty()) return {};
  return folder + L"\\" + base::WideFromGbk(file);
}

WriteResult WriteFileAtomically(const std::wstring& path, std::string_view bytes,
                                bool replaceExisting) {
  const std::wstring folder = FolderOf(path);
  if (!folder.empty() && folder == ScriptsFolder()) {
    CreateDirectoryW(ComposerFolder().c_str(), nullptr);  // fails harmlessly when it exists
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  if (!replaceExisting && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return WriteResult::kExists;
  }
  // One temporary name per process: two composers saving at once never write the same file.
  const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  bool written = false;
  {
    base::ScopedHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    written = file.Ok() && WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
  }
  if (written) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a file that appeared meanwhile.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(temporary.c_str(), path.c_str(), flags)) return WriteResult::kWritten;
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? WriteResult::kExists
                                                                       : WriteResult::kFailed;
  }
  DeleteFileW(temporary.c_str());
  return WriteResult::kFailed;
}

ReadResult ReadFileUpTo(const std::wstring& path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  base::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Ok()) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::kMissing
                                                                          : ReadResult::kFailed;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return ReadResult::kFailed;
  if (static_cast<unsigned long long>(size.QuadPart) > limit) return ReadResult::kTooLarge;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) {
      bytes.clear();
      return ReadResult::kFailed;
    }
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return ReadResult::kRead;
}

compose::ScriptFileContent OpenScript(const std::wstring& path) {
  std::string bytes;
  switch (ReadFileUpTo(path, compose::kMaxScriptFileBytes, bytes)) {
    case ReadResult::kRead:
      return compose::ReadScriptFile(bytes, kConversion);
    case ReadResult::kMissing:
      return {.problems = {compose::FileProblem::kMissing}};
    case ReadResult::kTooLarge:
      return {.problems = {compose::FileProblem::kTooLarge}};
    case ReadResult::kFailed:
      break;
  }
  return {.problems = {compose::FileProblem::kUnreadable}};
}

WriteResult SaveScript(const std::wstring& path, std::string_view gbkName,
                       std::span<const compose::ScriptLine> rows, bool replaceExisting) {
  return WriteFileAtomically(path, compose::WriteScriptFile(gbkName, rows, kConversion),
                             replaceExisting);
}

compose::CommandHistory LoadHistory() {
  std::string bytes;
  const std::wstring path = InComposerFolder(kHistoryFileName);
  if (path.empty() ||
      ReadFileUpTo(path, compose::kMaxScriptFileBytes, bytes) != ReadResult::kRead) {
    return {};
  }
  return compose::ParseHistory(bytes, kConversion);
}

bool SaveHistory(const compose::CommandHistory& history) {
  const std::wstring folder = ComposerFolder();
  if (folder.empty()) return false;
  CreateDirectoryW(folder.c_str(), nullptr);
  return WriteFileAtomically(folder + L"\\" + kHistoryFileName,
                             compose::FormatHistory(history, kConversion),
                             true) == WriteResult::kWritten;
}

compose::RecentScripts LoadRecentScripts() {
  std::string bytes;
  const std::wstring path = InComposerFolder(kRecentFileName);
  if (path.empty() || ReadFileUpTo(path, kMaxRecentFileBytes, bytes) != ReadResult::kRead)
    return {};
  return compose::ParseRecentScripts(bytes);
}

bool SaveRecentScripts(const compose::RecentScripts& recent) {
  const std::wstring folder = ComposerFolder();
  if (folder.empty()) return false;
  CreateDirectoryW(folder.c_str(), nullptr);
  return WriteFileAtomically(folder + L"\\" + kRecentFileName, compose::FormatRecentScripts(recent),
                             true) == WriteResult::kWritten;
}

std::string Utf8Path(std::wstring_view path) {
  return base::Utf8FromUtf16(Utf16FromWide(path));
}

std::wstring WidePath(std::string_view utf8) {
  const std::optional<std::u16string> utf16 = base::Utf16FromUtf8(utf8);
  return utf16 ? WideFromUtf16(*utf16) : std::wstring();
}

namespace {

class ProgramStorage final : public compose::ScriptStorage {
 public:
  compose::ScriptFileContent OpenScript(const std::string& path) override {
    return app::win::OpenScript(WidePath(path));
  }
  Written SaveScript(const std::string& path, std::string_view name,
                     std::span<const compose::ScriptLine> rows, bool replaceExisting) override {
    switch (app::win::SaveScript(WidePath(path), name, rows, replaceExisting)) {
      case WriteResult::kWritten:
        return Written::kWritten;
      case WriteResult::kExists:
        return Written::kExists;
      case WriteResult::kFailed:
        break;
    }
    return Written::kFailed;
  }
  std::string DefaultScriptPath(std::string_view name) override {
    const std::wstring path = app::win::DefaultScriptPath(name);
    return path.empty() ? std::string() : Utf8Path(path);
  }
  compose::CommandHistory LoadHistory() override { return app::win::LoadHistory(); }
  // A list that could not be written stays in memory and is written whole at its next change.
  void SaveHistory(const compose::CommandHistory& history) override {
    static_cast<void>(app::win::SaveHistory(history));
  }
  compose::RecentScripts LoadRecentScripts() override { return app::win::LoadRecentScripts(); }
  void SaveRecentScripts(const compose::RecentScripts& recent) override {
    static_cast<void>(app::win::SaveRecentScripts(recent));
  }
};

}  // namespace

compose::ScriptStorage& ProgramScriptStorage() {
  static ProgramStorage storage;
  return storage;
}

}  // namespace app::win
