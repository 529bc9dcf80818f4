// Text files in the user's temporary folder: UTF-8 through UTF-16, written under a name of their
// own and then renamed over the wanted name.
#include "ui/temp_file_win.h"

#include <windows.h>

#include <string>

#include "base/text_win.h"

namespace ui::win {
namespace {

using base::GbkFromWide;
using base::WideFromGbk;

// The GBK text of a path, when GBK holds every character of it: the shell gets back exactly this
// file. A folder whose name GBK cannot hold is tried under its short (8.3) name.
std::optional<std::string> GbkPath(const std::wstring& path) {
  std::string gbk = GbkFromWide(path);
  if (WideFromGbk(gbk) == path) return gbk;
  std::wstring shortPath(MAX_PATH, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  shortPath.resize(length);
  gbk = GbkFromWide(shortPath);
  if (WideFromGbk(gbk) == shortPath) return gbk;
  return std::nullopt;
}

bool WriteWhole(const std::wstring& path, std::string_view content) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                               nullptr) != FALSE &&
                     written == content.size();
  return CloseHandle(file) != FALSE && whole;
}

}  // namespace

std::string Utf8FromGbk(std::string_view gbk) {
  const std::wstring wide = WideFromGbk(gbk);
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
  }
  return utf8;
}

std::optional<std::string> WriteTemporaryTextFile(std::string_view fileName,
                                                  std::string_view text) {
  const std::string content = Utf8FromGbk(text);
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  const std::wstring target = folder + WideFromGbk(fileName);
  // Unique among processes and clicks: the process, the time and a counter.
  static LONG counter = 0;
  const std::wstring partial = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount64()) + L"-" +
                               std::to_wstring(InterlockedIncrement(&counter)) + L".partial";
  if (!WriteWhole(partial, content) ||
      !MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(partial.c_str());
    return std::nullopt;
  }
  return GbkPath(target);
}

}  // namespace ui::win
