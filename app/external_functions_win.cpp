// Declared external functions, with the stack-checked call beneath them in the 32-bit build.
#include "app/external_functions_win.h"

#include <windows.h>

#include <algorithm>

#include "app/runtime.h"

// CallWithStackCheck(address, arguments, count, stackDelta), cdecl: the arguments are pushed
// right to left, the callee is called, and the distance between the stack pointer and its value
// before the pushes is stored; then the stack pointer is set back.
#if defined(_M_IX86) || defined(__i386__)
#if defined(_MSC_VER)
extern "C" __declspec(naked) std::uint32_t
    CallWithStackCheck(const void*, const std::uint32_t*, int, int*) {
  __asm {
    push ebp
    mov ebp, esp
    push ebx
    push esi
    push edi
    mov esi, [ebp + 12]
    mov ecx, [ebp + 16]
    mov ebx, esp
    test ecx, ecx
    jle pushed
  next:
    dec ecx
    push dword ptr [esi + ecx * 4]
    jnz next
  pushed:
    call dword ptr [ebp + 8]
    mov ecx, esp
    sub ecx, ebx
    mov edx, [ebp + 20]
    test edx, edx
    jz done
    mov [edx], ecx
  done:
    lea esp, [ebp - 12]
    pop edi
    pop esi
    pop ebx
    pop ebp
    ret
  }
}
#else
asm(R"(
    .text
    .globl _CallWithStackCheck
    .def _CallWithStackCheck; .scl 2; .type 32; .endef
_CallWithStackCheck:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %ebx
    testl %ecx, %ecx
    jle 2f
1:  decl %ecx
    pushl (%esi,%ecx,4)
    jnz 1b
2:  call *8(%ebp)
    movl %esp, %ecx
    subl %ebx, %ecx
    movl 20(%ebp), %edx
    testl %edx, %edx
    jz 3f
    movl %ecx, (%edx)
3:  leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");
#endif
#endif  // 32-bit

namespace app {
namespace {

constexpr ExternalDeclaration kProgramTable[] = {
    {"ole32.dll", "CoInitialize", 1},
    {"ole32.dll", "CoUninitialize", 0},
    {"wininet.dll", "InternetTimeToSystemTime", 3},
    {"", "lstrcpyn", 3},
    {"", "lstrcpynA", 3},
    {"", "VirtualAlloc", 4},
    {"", "VirtualFree", 3},
    {"", "RtlMoveMemory", 3},  // DOS header
    {"", "RtlMoveMemory", 3},  // NT headers
    {"", "RtlMoveMemory", 3},  // section header
    {"", "RtlMoveMemory", 3},  // raw bytes
    {"", "RtlMoveMemory", 3},  // 32-bit value
    {"", "RtlMoveMemory", 3},  // 16-bit value
    {"", "RtlMoveMemory", 3},  // relocation block head
    {"", "RtlMoveMemory", 3},  // import descriptor
    {"", "RtlMoveMemory", 3},  // export directory
    {"", "RtlMoveMemory", 3},  // address table
    {"", "RtlMoveMemory", 3},  // name text
    {"", "GetModuleHandleA", 1},
    {"", "LoadLibraryA", 1},
    {"", "GetProcAddress", 2},
};
static_assert(std::size(kProgramTable) == 21);
constexpr size_t kMostArguments = 4;
static_assert(std::ranges::all_of(kProgramTable, [](const ExternalDeclaration& declaration) {
  return declaration.argumentCount <= static_cast<int>(kMostArguments);
}));

DeclaredFunctionTable& ProgramTable() {
  static DeclaredFunctionTable table(kProgramTable);
  return table;
}

}  // namespace

std::span<const ExternalDeclaration> ProgramExternalFunctions() {
  return kProgramTable;
}

std::string MissingExportText(const char* function) {
  return std::string("无法找到指定DLL库文件中的输出命令“") + function + "”";
}

DeclaredFunctionTable::DeclaredFunctionTable(std::span<const ExternalDeclaration> declarations)
    : declarations_(declarations), addresses_(declarations.size(), nullptr) {}

DeclaredFunctionTable::~DeclaredFunctionTable() {
  Release();
}

const void* DeclaredFunctionTable::Resolve(int index) {
  const void*& address = addresses_[static_cast<size_t>(index)];
  if (address != nullptr) return address;
  const ExternalDeclaration& declaration = declarations_[static_cast<size_t>(index)];
  const char* library = declaration.library[0] != '\0' ? declaration.library : "kernel32.dll";
  HMODULE module = GetModuleHandleA(library);
  if (module == nullptr) {
    module = LoadLibraryA(library);
    if (module != nullptr) loadedLibraries_.push_back(module);
  }
  FARPROC function = nullptr;
  if (module != nullptr) {
    function = GetProcAddress(module, declaration.function);
    if (function == nullptr) {
      const std::string ansiName = std::string(declaration.function) + "A";
      function = GetProcAddress(module, ansiName.c_str());
    }
  }
  if (function == nullptr)
    RaiseRuntimeError(kNoErrorNumber, MissingExportText(declaration.function));
  address = reinterpret_cast<const void*>(function);
  return address;
}

ExternalValue DeclaredFunctionTable::Call(int index,
                                          std::initializer_list<ExternalValue> arguments) {
  if (index < 0) RaiseRuntimeError(kIndexBelowOne);
  if (static_cast<size_t>(index) >= declarations_.size()) RaiseRuntimeError(kIndexAboveRange);
  const void* address = Resolve(index);
  // The declaration decides what is passed: missing arguments are zero, extra ones are dropped.
  std::vector<ExternalValue> passed(arguments);
  passed.resize(static_cast<size_t>(declarations_[static_cast<size_t>(index)].argumentCount), 0);
#if defined(_M_IX86) || defined(__i386__)
  int delta = 0;
  const ExternalValue result =
      CallWithStackCheck(address, passed.data(), static_cast<int>(passed.size()), &delta);
  if (delta != 0) RaiseRuntimeError(kStackUnbalanced);
  return result;
#else
  // The caller owns the stack here, so passing more arguments than a function takes is harmless;
  // every table entry takes at most four.
  passed.resize(kMostArguments, 0);
  using AnyFunction = ExternalValue (*)(ExternalValue, ExternalValue, ExternalValue, ExternalValue);
  const auto function = reinterpret_cast<AnyFunction>(address);
  return function(passed[0], passed[1], passed[2], passed[3]);
#endif
}

void DeclaredFunctionTable::Release() {
  for (void* module : loadedLibraries_) FreeLibrary(static_cast<HMODULE>(module));
  loadedLibraries_.clear();
  std::fill(addresses_.begin(), addresses_.end(), nullptr);
}

ExternalValue CallExternal(int index, std::initializer_list<ExternalValue> arguments) {
  return ProgramTable().Call(index, arguments);
}

void ReleaseExternalLibraries() {
  ProgramTable().Release();
}

}  // namespace app
