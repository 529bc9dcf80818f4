// Stands in for the web browser in the tests: the shell starts it with the address to open, and
// it writes its command line (UTF-16) to the file named by COMPOSER_ADDRESS_RECORD, then exits.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"COMPOSER_ADDRESS_RECORD", path, MAX_PATH) == 0) return 1;
  HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const wchar_t* line = GetCommandLineW();
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
