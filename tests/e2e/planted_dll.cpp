// Stands for a DLL an operator's browser left in Downloads beside the gateway.
// Loaded into any process, it leaves a marker file in its own folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\') --length;
    lstrcpyW(path + length, L"planted-dll-ran");
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
