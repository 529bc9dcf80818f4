// Declared external functions: operating-system functions that routines call by table index.
// An entry is resolved on its first call (library loaded, address looked up and kept). Arguments
// and results are pointer-sized. In the 32-bit build the stack pointer is compared after every
// call with its value before the arguments were pushed; a function that removed more or fewer
// arguments than declared is run-time error 6. The 64-bit build has one calling convention in
// which the caller owns the stack, so no such mismatch can happen there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace app {

struct ExternalDeclaration {
  const char* library;   // empty: kernel32
  const char* function;  // an "A" is appended when the plain name is not exported
  int argumentCount;     // arguments passed, which a 32-bit standard-call function removes
};

// The program's table, by index.
enum ExternalFunction : int {
  kCoInitialize = 0,
  kCoUninitialize = 1,
  kInternetTimeToSystemTime = 2,
  kLstrcpyn = 3,
  kLstrcpynA = 4,
  kVirtualAlloc = 5,
  kVirtualFree = 6,
  kFirstMoveMemory = 7,  // 7 to 17: RtlMoveMemory, one entry per kind of record copied
  kLastMoveMemory = 17,
  kGetModuleHandleA = 18,
  kLoadLibraryA = 19,
  kGetProcAddress = 20,
};

std::span<const ExternalDeclaration> ProgramExternalFunctions();

// One argument or result: a number or an address, as wide as a pointer.
using ExternalValue = std::uintptr_t;

// A table of declarations with lazily resolved addresses.
class DeclaredFunctionTable {
 public:
  explicit DeclaredFunctionTable(std::span<const ExternalDeclaration> declarations);
  ~DeclaredFunctionTable();
  DeclaredFunctionTable(const DeclaredFunctionTable&) = delete;
  DeclaredFunctionTable& operator=(const DeclaredFunctionTable&) = delete;

  // Calls entry index with its arguments. An index outside the table is run-time error 1 or 4,
  // an export that cannot be found ends the program with the missing-command message, an
  // unbalanced stack (32-bit build) is run-time error 6.
  ExternalValue Call(int index, std::initializer_list<ExternalValue> arguments);
  // Frees the libraries this table loaded; entries resolve again on their next call.
  void Release();

 private:
  const void* Resolve(int index);

  std::span<const ExternalDeclaration> declarations_;
  std::vector<const void*> addresses_;
  std::vector<void*> loadedLibraries_;
};

// Calls the program's table.
ExternalValue CallExternal(int index, std::initializer_list<ExternalValue> arguments);
// Frees the libraries loaded for the program's table (normal termination).
void ReleaseExternalLibraries();

// "无法找到指定DLL库文件中的输出命令“%s”" with the function name.
std::string MissingExportText(const char* function);

#if defined(_M_IX86) || defined(__i386__)
// Calls address with count 32-bit arguments pushed right to left and returns its 32-bit result.
// stackDelta receives how far the stack pointer is from its value before the pushes: 0 when the
// callee removed exactly its arguments, negative when it left some. The stack pointer is set back
// in every case.
extern "C" std::uint32_t CallWithStackCheck(const void* address, const std::uint32_t* arguments,
                                            int count, int* stackDelta);
#endif

}  // namespace app
