// System functions that the program needs only after its window is up (the help page, the
// network clock). Importing them would load their libraries, and everything those pull in,
// before the first window shows; they are looked up on first use instead.
#pragma once

#include <windows.h>

namespace base {

// The export name of library, which is loaded if it is not yet; nullptr when either is missing.
template <typename Function>
Function LateBound(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace base
