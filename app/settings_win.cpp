// The settings file on disk. APPDATA is read from the environment first, as the folder's own
// name says, so that tests and portable set-ups can point it elsewhere; the shell's answer is
// the fallback.
#include "app/settings_win.h"

#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/late_bound_win.h"
#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/unicode.h"

namespace app::win {
namespace {

constexpr wchar_t kFolderName[] = L"CommandComposer";
constexpr wchar_t kFileName[] = L"settings.ini";
// A settings file is a few dozen bytes; anything far larger is not ours and is not read.
constexpr DWORD kMaxFileSize = 64 * 1024;

std::wstring AppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return path;
  // shell32 is looked up only here, when the environment names no folder: it is not loaded
  // before the window shows.
  static const auto folderPath =
      base::LateBound<decltype(&::SHGetFolderPathW)>(L"shell32.dll", "SHGetFolderPathW");
  if (folderPath != nullptr &&
      SUCCEEDED(folderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return path;
  }
  return {};
}

// The file's UTF-8 as the program's GBK. A file that is not UTF-8 (damaged, or written by hand
// in another encoding) is read as it is: its ASCII keys and numbers still count.
std::string GbkFromFile(const std::string& bytes) {
  const std::optional<std::u16string> units = base::Utf16FromUtf8(bytes);
  if (!units) return bytes;
  return base::GbkFromWide(std::wstring(units->begin(), units->end()));
}

std::string FileFromGbk(std::string_view gbk) {
  const std::wstring wide = base::WideFromGbk(gbk);
  return base::Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::wstring SettingsFolder() {
  const std::wstring appData = AppDataFolder();
  return appData.empty() ? std::wstring() : appData + L"\\" + kFolderName;
}

// File names of ours are ASCII; any other character makes a name that is not ours.
std::wstring WideFromAscii(std::string_view text) {
  return std::wstring(text.begin(), text.end());
}
std::string AsciiFromWide(std::wstring_view text) {
  std::string ascii;
  for (const wchar_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '\x7F';
  return ascii;
}

// Whether a process with this id runs now. One that cannot be asked (another user's) counts as
// running. This process's own id counts as not running: a file under it is from an earlier
// process that had the same id, since this one has not saved yet.
bool ProcessRuns(unsigned long id) {
  if (id == GetCurrentProcessId()) return false;
  const base::ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  return GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE;
}

}  // namespace

std::wstring SettingsPath() {
  const std::wstring folder = SettingsFolder();
  return folder.empty() ? std::wstring() : folder + L"\\" + kFileName;
}

Settings LoadSettings() {
  const std::wstring path = SettingsPath();
  if (path.empty()) return {};
  base::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.Ok() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxFileSize) return {};
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!text.empty() &&
      !ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
    return {};
  }
  text.resize(read);
  return ParseSettings(GbkFromFile(text));
}

SaveResult SaveSettings(const Settings& settings) {
  const std::wstring folder = SettingsFolder();
  if (folder.empty()) return SaveResult::kFailed;
  CreateDirectoryW(folder.c_str(), nullptr);  // fails harmlessly when it exists
  const std::wstring path = folder + L"\\" + kFileName;
  // One temporary name per process: two composers saving at once never write the same file.
  const std::wstring temporary =
      folder + L"\\" + WideFromAscii(TemporaryFileName(GetCurrentProcessId()));
  const std::string text = FileFromGbk(FormatSettings(settings));
  bool written = false;
  {
    base::ScopedHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD count = 0;
    written =
        file.Ok() &&
        WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &count, nullptr) &&
        count == text.size() && FlushFileBuffers(file.Get());
  }
  if (written && MoveFileExW(temporary.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return SaveResult::kWritten;
  }
  const DWORD error = GetLastError();
  DeleteFileW(temporary.c_str());
  // A program that opened the file without sharing it for deletion (an editor, a virus scanner,
  // a sync client) makes the replace fail with a sharing violation, or under Wine with access
  // denied, until it lets go.
  const bool busy = written && (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                                error == ERROR_ACCESS_DENIED);
  return busy ? SaveResult::kBusy : SaveResult::kFailed;
}

void RemoveLeftoverTemporaryFiles() {
  const std::wstring folder = SettingsFolder();
  if (folder.empty()) return;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\settings.ini.*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::optional<unsigned long> owner = TemporaryFileProcess(AsciiFromWide(found.cFileName));
    if (owner && !ProcessRuns(*owner)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace app::win
