// The loader's platform calls on Windows and the program's one loader object.
#include <windows.h>

#include <cstdint>
#include <limits>
#include <string>

#include "skin/module_loader.h"

namespace skin {
namespace {

class SystemPlatform final : public LoaderPlatform {
 public:
  std::uintptr_t Reserve(std::uint64_t preferred, std::size_t size) override {
    if (preferred > std::numeric_limits<std::uintptr_t>::max()) return 0;
    void* wanted = reinterpret_cast<void*>(static_cast<std::uintptr_t>(preferred));
    // Writable while the image is copied, relocated and bound; ProtectSections then gives every
    // page its section's protection, so no page is ever writable and executable.
    void* block = VirtualAlloc(wanted, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    // A preferred address off the allocation granularity is rounded down, which would leave the
    // block's first pages reserved but not committed: take anywhere instead.
    if (block != nullptr && wanted != nullptr && block != wanted) {
      VirtualFree(block, 0, MEM_RELEASE);
      return 0;
    }
    return reinterpret_cast<std::uintptr_t>(block);
  }

  void Release(std::uintptr_t block) override {
    VirtualFree(reinterpret_cast<void*>(block), 0, MEM_RELEASE);
  }

  bool Protect(std::uintptr_t address, std::size_t size, PageProtection protection) override {
    void* start = reinterpret_cast<void*>(address);
    if (protection == PageProtection::kDecommitted) {
      return VirtualFree(start, size, MEM_DECOMMIT) != 0;
    }
    DWORD flags = PAGE_NOACCESS;
    switch (protection) {
      case PageProtection::kReadOnly:
        flags = PAGE_READONLY;
        break;
      case PageProtection::kReadWrite:
        flags = PAGE_READWRITE;
        break;
      case PageProtection::kExecuteRead:
        flags = PAGE_EXECUTE_READ;
        break;
      default:
        break;
    }
    DWORD previous = 0;
    if (VirtualProtect(start, size, flags, &previous) == 0) return false;
    // Code written by the copy must not run from a stale instruction cache.
    if (flags == PAGE_EXECUTE_READ) FlushInstructionCache(GetCurrentProcess(), start, size);
    return true;
  }

  std::uintptr_t FindModule(const char* name) override {
    return reinterpret_cast<std::uintptr_t>(GetModuleHandleA(name));
  }

  std::uintptr_t LoadModule(const char* name) override {
    return reinterpret_cast<std::uintptr_t>(LoadLibraryA(name));
  }

  std::uintptr_t FindSymbol(std::uintptr_t module, const char* name) override {
    return reinterpret_cast<std::uintptr_t>(
        GetProcAddress(reinterpret_cast<HMODULE>(module), name));
  }

  std::uintptr_t FindSymbol(std::uintptr_t module, std::uint16_t ordinal) override {
    return reinterpret_cast<std::uintptr_t>(
        GetProcAddress(reinterpret_cast<HMODULE>(module), MAKEINTRESOURCEA(ordinal)));
  }

  bool AddFunctionTable(std::uintptr_t block, std::uint32_t rva, std::uint32_t count) override {
#if defined(_WIN64)
    return RtlAddFunctionTable(reinterpret_cast<PRUNTIME_FUNCTION>(block + rva), count, block);
#else
    (void)block, (void)rva, (void)count;
    return true;
#endif
  }

  void RemoveFunctionTable(std::uintptr_t block, std::uint32_t rva) override {
#if defined(_WIN64)
    RtlDeleteFunctionTable(reinterpret_cast<PRUNTIME_FUNCTION>(block + rva));
#else
    (void)block, (void)rva;
#endif
  }

  std::uint32_t CallEntryPoint(std::uintptr_t entry, std::uintptr_t block,
                               std::uint32_t reason) override {
    // The entry point returns a BOOL: only the low 32 bits of the result register count.
    return static_cast<std::uint32_t>(CallAddress(entry, block, reason, 0));
  }
};

InMemoryModuleLoader* g_loader = nullptr;

}  // namespace

LoaderPlatform& SystemLoaderPlatform() {
  static SystemPlatform platform;
  return platform;
}

InMemoryModuleLoader* GlobalLoader() {
  return g_loader;
}

void CreateGlobalLoader() {
  if (g_loader == nullptr) g_loader = new InMemoryModuleLoader(SystemLoaderPlatform());
}

void ReleaseGlobalLoader(int) {
  delete g_loader;
  g_loader = nullptr;
}

bool LoadIntoGlobalLoader(std::span<const std::uint8_t> image) {
  return g_loader != nullptr && g_loader->Load(image);
}

void ReportRefusedImage(const char* name, LoadError error) {
  const std::string message = RefusedImageMessage(name, error);
  const std::wstring wide(message.begin(), message.end());  // ASCII
  OutputDebugStringW(wide.c_str());
}

}  // namespace skin
