// The number of GDI objects a process holds, where GetGuiResources cannot say (Wine answers 0):
// counted in the process's GDI handle table, which its process environment block points at.
// For the benchmark driver (another process) and the tests (their own).
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace base {

// One entry of the GDI handle table that the process environment block points at.
struct GdiTableEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;
  UCHAR flags;
  UINT64 user;
};
static_assert(sizeof(GdiTableEntry) == 24);
inline constexpr size_t kGdiTableEntries = 0x10000;
#if defined(_WIN64)
inline constexpr size_t kPebGdiTableOffset = 0xF8;
#else
inline constexpr size_t kPebGdiTableOffset = 0x94;
#endif

// GetGuiResources' answer where it has one, else the entries in use in the table; 0 when
// neither can be read.
inline DWORD CountGdiObjects(HANDLE process) {
  if (const DWORD counted = GetGuiResources(process, GR_GDIOBJECTS)) return counted;
  struct {
    PVOID reserved1;
    PVOID pebBaseAddress;
    PVOID reserved2[2];
    ULONG_PTR uniqueProcessId;
    PVOID reserved3;
  } basic{};
  using QueryFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  if (query == nullptr || query(process, 0, &basic, sizeof basic, nullptr) != 0) return 0;
  PVOID table = nullptr;
  if (!ReadProcessMemory(process, static_cast<char*>(basic.pebBaseAddress) + kPebGdiTableOffset,
                         &table, sizeof table, nullptr) ||
      table == nullptr) {
    return 0;
  }
  std::vector<GdiTableEntry> entries(kGdiTableEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiTableEntry),
                         nullptr)) {
    return 0;
  }
  return static_cast<DWORD>(
      std::count_if(entries.begin(), entries.end(), [](const GdiTableEntry& e) { return e.type; }));
}

}  // namespace base
