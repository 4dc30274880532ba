#include "platform/win32/profile_store_win32.h"

#include <windows.h>

#include "platform/win32/handles.h"

void ProfileStoreWin32::GetString(const std::string& section, const std::string& key, char* buffer, unsigned size,
                                  const std::string& filePath) {
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, size, filePath.c_str());
}

void ProfileStoreWin32::WriteString(const std::string& section, const std::string& key, const std::string& value,
                                    const std::string& filePath) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), filePath.c_str());
}

bool ProfileStoreWin32::OrdinaryFileExists(const std::wstring& filePath) {
    WIN32_FIND_DATAW found{};
    handles::Find search(FindFirstFileW(filePath.c_str(), &found));
    if (!search || search.get() == INVALID_HANDLE_VALUE) return false;
    const DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (found.dwFileAttributes & excluded) == 0;
}
