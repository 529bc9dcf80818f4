// A loader platform for native tests: blocks are real zero-filled mappings (at the preferred
// address when the test lets it be had), modules and symbols come from tables, and every call
// is recorded.
#pragma once

#include <sys/mman.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "skin/module_loader.h"

namespace skin::test {

class FakePlatform final : public LoaderPlatform {
 public:
  struct EntryCall {
    std::uintptr_t entry;
    std::uintptr_t block;
    std::uint32_t reason;
  };
  struct ProtectCall {
    std::uintptr_t address;
    std::size_t size;
    PageProtection protection;
    bool operator==(const ProtectCall&) const = default;
  };

  ~FakePlatform() override {
    for (const auto& [address, size] : live) munmap(reinterpret_cast<void*>(address), size);
  }

  std::uintptr_t Reserve(std::uint64_t preferred, std::size_t size) override {
    reserveCalls.push_back(preferred);
    if (preferred != 0 ? !preferredFree : !anywhereFree) return 0;
    void* wanted = reinterpret_cast<void*>(static_cast<std::uintptr_t>(preferred));
    void* block =
        mmap(wanted, size, PROT_READ | PROT_WRITE,
             MAP_PRIVATE | MAP_ANONYMOUS | (preferred != 0 ? MAP_FIXED_NOREPLACE : 0), -1, 0);
    if (block == MAP_FAILED) return 0;
    if (preferred != 0 && block != wanted) {
      munmap(block, size);
      return 0;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    live[address] = size;
    return address;
  }

  void Release(std::uintptr_t block) override {
    released.push_back(block);
    auto found = live.find(block);
    if (found == live.end()) return;
    munmap(reinterpret_cast<void*>(block), found->second);
    live.erase(found);
  }

  // Real protections, so that a test touching a page the image may not touch faults.
  bool Protect(std::uintptr_t address, std::size_t size, PageProtection protection) override {
    protectCalls.push_back({address, size, protection});
    if (!protectAccepted) return false;
    void* start = reinterpret_cast<void*>(address);
    switch (protection) {
      case PageProtection::kDecommitted:
        madvise(start, size, MADV_DONTNEED);
        return mprotect(start, size, PROT_NONE) == 0;
      case PageProtection::kNoAccess:
        return mprotect(start, size, PROT_NONE) == 0;
      case PageProtection::kReadOnly:
        return mprotect(start, size, PROT_READ) == 0;
      case PageProtection::kReadWrite:
        return mprotect(start, size, PROT_READ | PROT_WRITE) == 0;
      case PageProtection::kExecuteRead:
        return mprotect(start, size, PROT_READ | PROT_EXEC) == 0;
    }
    return false;
  }

  std::uintptr_t FindModule(const char* name) override {
    log.push_back(std::string("find ") + name);
    auto found = present.find(name);
    return found == present.end() ? 0 : found->second;
  }

  std::uintptr_t LoadModule(const char* name) override {
    log.push_back(std::string("load ") + name);
    auto found = loadable.find(name);
    return found == loadable.end() ? 0 : found->second;
  }

  std::uintptr_t FindSymbol(std::uintptr_t, const char* name) override {
    log.push_back(std::string("symbol ") + name);
    auto found = symbols.find(name);
    return found == symbols.end() ? 0 : found->second;
  }

  std::uintptr_t FindSymbol(std::uintptr_t, std::uint16_t ordinal) override {
    const std::string key = "#" + std::to_string(ordinal);
    log.push_back("symbol " + key);
    auto found = symbols.find(key);
    return found == symbols.end() ? 0 : found->second;
  }

  bool AddFunctionTable(std::uintptr_t block, std::uint32_t rva, std::uint32_t count) override {
    if (!tableAccepted) return false;
    tables[block] = {rva, count};
    return true;
  }

  void RemoveFunctionTable(std::uintptr_t block, std::uint32_t rva) override {
    auto found = tables.find(block);
    if (found != tables.end() && found->second.first == rva) tables.erase(found);
    removedTables.push_back(block);
  }

  std::uint32_t CallEntryPoint(std::uintptr_t entry, std::uintptr_t block,
                               std::uint32_t reason) override {
    entryCalls.push_back({entry, block, reason});
    if (onEntry) onEntry(reason);
    return reason == 1 ? attachResult : 1;
  }

  bool preferredFree = true;
  bool anywhereFree = true;
  std::uint32_t attachResult = 1;
  std::function<void(std::uint32_t)> onEntry;
  std::map<std::string, std::uintptr_t> present;   // found by FindModule
  std::map<std::string, std::uintptr_t> loadable;  // found by LoadModule
  std::map<std::string, std::uintptr_t> symbols;   // by name, or "#ordinal"
  std::vector<std::uint64_t> reserveCalls;
  std::vector<std::uintptr_t> released;
  std::map<std::uintptr_t, std::size_t> live;
  std::vector<std::string> log;
  std::vector<EntryCall> entryCalls;
  bool tableAccepted = true;
  bool protectAccepted = true;
  std::vector<ProtectCall> protectCalls;
  std::map<std::uintptr_t, std::pair<std::uint32_t, std::uint32_t>> tables;  // RVA and count
  std::vector<std::uintptr_t> removedTables;
};

}  // namespace skin::test
