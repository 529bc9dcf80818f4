// Heap memory of the program: every allocation comes from the process heap, and one that fails
// ends the program through the run-time error box instead of an unexplained crash.
#include <windows.h>

#include <cstddef>
#include <new>

#include "base/runtime.h"

namespace {

void* Allocate(std::size_t size) {
  void* block = HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
  if (block != nullptr) return block;
  static bool reporting = false;
  if (reporting) ExitProcess(static_cast<UINT>(-1));  // the report itself ran out of memory
  reporting = true;
  base::RaiseRuntimeError(base::kNoErrorNumber, base::AllocationFailureText(size));
}

void Free(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void operator delete(void* block) noexcept {
  Free(block);
}
void operator delete[](void* block) noexcept {
  Free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  Free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  Free(block);
}
