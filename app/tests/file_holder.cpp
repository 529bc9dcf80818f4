// Holds a file open as an editor, a virus scanner or a sync client does: reading it and sharing
// it for reading only, so nobody may write, rename or replace it meanwhile. Opens the file, sets
// the ready event and keeps it until the release event is set (or a minute has passed).
//
//   file_holder PATH READY_EVENT RELEASE_EVENT
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
  if (ready == nullptr || release == nullptr) return 1;
  SetEvent(ready);
  WaitForSingleObject(release, 60000);
  CloseHandle(file);
  return 0;
}
