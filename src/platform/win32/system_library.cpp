#include "platform/win32/system_library.h"

#include <commctrl.h>

#include <string>

namespace {
// A Windows 7 without its loader update (KB2533623) has neither the search
// flags nor SetDefaultDllDirectories: looked up here, never imported, or the
// program would not start there at all.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFn FindSetDefaultDllDirectories() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return nullptr;
    const FARPROC found = GetProcAddress(kernel, "SetDefaultDllDirectories");
    return reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(found));
}

std::wstring SystemFolderPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(folder, length) + L"\\" + name;
}
}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (FindSetDefaultDllDirectories()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without the flag: the full path names the file, and its own imports come
    // from the system folder as known DLLs.
    const std::wstring path = SystemFolderPath(name);
    if (path.empty()) return nullptr;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RestrictDllSearchToSystem() {
    if (const SetDefaultDllDirectoriesFn restrict = FindSetDefaultDllDirectories()) {
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
        return;
    }
    // The older way: at least the current folder leaves the search order.
    SetDllDirectoryW(L"");
}

HMODULE LoadCommonControls() {
    // Side-by-side redirection comes before any folder is searched.
    const HMODULE module = LoadSystemLibrary(L"comctl32.dll");
    if (!module) return nullptr;
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init =
        reinterpret_cast<InitFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "InitCommonControlsEx")));
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    if (init) init(&controls);
    return module;
}
