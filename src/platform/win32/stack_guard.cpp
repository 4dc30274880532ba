// The stack canary that every protected function checks, and the end of a
// program whose check failed. Defined here rather than taken from the
// compiler's runtime, whose start-up asks a cryptographic provider for the
// value: under Wine that loads three DLLs and costs some 15 ms before the
// port can be bound. RtlGenRandom gives the same strength at no cost.
#include <windows.h>

#include <cstdint>

extern "C" {
BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);  // RtlGenRandom

// Until the value is drawn, and should drawing fail: a terminator canary,
// which no string copy can forge.
std::uintptr_t __stack_chk_guard = static_cast<std::uintptr_t>(0xff0a0000u);

[[noreturn]] void __stack_chk_fail() {
    // A smashed stack must not run on: no handlers, no unwinding.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    __builtin_trap();
}
}

namespace {
// Before any other constructor, so no protected function is under way when
// the value changes.
__attribute__((constructor(101), no_stack_protector)) void DrawStackGuard() {
    std::uintptr_t drawn = 0;
    if (SystemFunction036(&drawn, sizeof drawn) && drawn != 0) __stack_chk_guard = drawn;
}
}  // namespace
