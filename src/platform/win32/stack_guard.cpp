// The stack canary that every protected function checks, and the end of a
// program whose check failed. Defined here rather than taken from the
// compiler's runtime, whose start-up asks a cryptographic provider for the
// value: under Wine that loads three DLLs and costs some 15 ms before the
// port can be bound. RtlGenRandom gives the same strength at no cost.
#include <windows.h>

#include <cstdint>

#include "platform/win32/system_library.h"

extern "C" {
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
using RtlGenRandomFn = BOOLEAN(WINAPI*)(PVOID buffer, ULONG length);

// Before any other constructor, so no protected function is under way when
// the value changes. RtlGenRandom is advapi32's SystemFunction036, which
// Windows 7 and later forward to cryptbase.dll, no known DLL: imported, it
// would be looked for beside the exe before any code of ours ran. So the
// search is restricted first, for the whole run, and then it is looked up.
__attribute__((constructor(101), no_stack_protector)) void DrawStackGuard() {
    RestrictDllSearchToSystem();
    const HMODULE advapi = LoadSystemLibrary(L"advapi32.dll");
    if (!advapi) return;
    const auto draw = reinterpret_cast<RtlGenRandomFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(advapi, "SystemFunction036")));
    std::uintptr_t drawn = 0;
    if (draw && draw(&drawn, sizeof drawn) && drawn != 0) __stack_chk_guard = drawn;
}
}  // namespace
