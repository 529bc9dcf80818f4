// CallAddress: a call into mapped code whose convention the caller does not know. In 32-bit
// builds the ten arguments are pushed and the stack pointer is afterwards restored from the
// frame pointer, so a standard-call callee that removes some or all of them and a C-convention
// callee that removes none both leave the caller's stack as it was. The 64-bit platform has one
// calling convention in which the caller owns the argument area, so a plain call is right.
#include <cstdint>

#include "skin/module_loader.h"

#if defined(__i386__) && defined(__GNUC__)
extern "C" std::uint32_t SkinCallAddressThunk(
    std::uintptr_t address, const std::uint32_t* arguments) __asm__("skin_call_address_thunk");

// cdecl: (address, arguments) at 8(%ebp) and 12(%ebp). The stack is aligned to 16 bytes at the
// call, as code built with SSE in mind expects.
asm(R"(
    .text
    .globl skin_call_address_thunk
skin_call_address_thunk:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    movl 12(%ebp), %esi
    andl $-16, %esp
    subl $8, %esp
    pushl 36(%esi)
    pushl 32(%esi)
    pushl 28(%esi)
    pushl 24(%esi)
    pushl 20(%esi)
    pushl 16(%esi)
    pushl 12(%esi)
    pushl 8(%esi)
    pushl 4(%esi)
    pushl 0(%esi)
    call *8(%ebp)
    leal -4(%ebp), %esp
    popl %esi
    popl %ebp
    ret
)");
#elif defined(_MSC_VER) && defined(_M_IX86)
extern "C" __declspec(naked) std::uint32_t
    __cdecl SkinCallAddressThunk(std::uintptr_t, const std::uint32_t*) {
  __asm {
    push ebp
    mov ebp, esp
    push esi
    mov esi, [ebp + 12]
    and esp, -16
    sub esp, 8
    push dword ptr [esi + 36]
    push dword ptr [esi + 32]
    push dword ptr [esi + 28]
    push dword ptr [esi + 24]
    push dword ptr [esi + 20]
    push dword ptr [esi + 16]
    push dword ptr [esi + 12]
    push dword ptr [esi + 8]
    push dword ptr [esi + 4]
    push dword ptr [esi]
    call dword ptr [ebp + 8]
    lea esp, [ebp - 4]
    pop esi
    pop ebp
    ret
  }
}
#endif

namespace skin {

std::uintptr_t CallAddress(std::uintptr_t address, std::uintptr_t a1, std::uintptr_t a2,
                           std::uintptr_t a3, std::uintptr_t a4, std::uintptr_t a5,
                           std::uintptr_t a6, std::uintptr_t a7, std::uintptr_t a8,
                           std::uintptr_t a9, std::uintptr_t a10) {
#if defined(__i386__) || defined(_M_IX86)
  const std::uint32_t arguments[10] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10};
  return SkinCallAddressThunk(address, arguments);
#else
  using Function = std::uintptr_t (*)(
      std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t,
      std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);
  return reinterpret_cast<Function>(address)(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10);
#endif
}

}  // namespace skin
