// The settings file on disk. APPDATA is read from the environment first, as the folder's own
// name says, so that tests and portable set-ups can point it elsewhere; the shell's answer is
// the fallback.
#include "app/settings_win.h"

#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "base/late_bound_win.h"
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

class File {
 public:
  explicit File(HANDLE handle) : handle_(handle) {}
  ~File() {
    if (Ok()) CloseHandle(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::wstring SettingsPath() {
  const std::wstring folder = SettingsFolder();
  return folder.empty() ? std::wstring() : folder + L"\\" + kFileName;
}

Settings LoadSettings() {
  const std::wstring path = SettingsPath();
  if (path.empty()) return {};
  File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
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

bool SaveSettings(const Settings& settings) {
  const std::wstring folder = SettingsFolder();
  if (folder.empty()) return false;
  CreateDirectoryW(folder.c_str(), nullptr);  // fails harmlessly when it exists
  const std::wstring path = folder + L"\\" + kFileName;
  // One temporary name per process: two composers saving at once never write the same file.
  const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  const std::string text = FileFromGbk(FormatSettings(settings));
  bool written = false;
  {
    File file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD count = 0;
    written =
        file.Ok() &&
        WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &count, nullptr) &&
        count == text.size() && FlushFileBuffers(file.Get());
  }
  if (written && MoveFileExW(temporary.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace app::win
