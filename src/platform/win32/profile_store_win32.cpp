#include "platform/win32/profile_store_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"

namespace {
std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

unsigned long ResultOf(BOOL written) {
    if (written) return 0;
    const DWORD error = GetLastError();
    return error ? error : ERROR_WRITE_FAULT;
}
}  // namespace

void ProfileStoreWin32::GetString(const std::string& section, const std::string& key, char* buffer, unsigned size,
                                  const ProfilePath& file) {
    if (!file.ansi.empty()) {
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, size, file.ansi.c_str());
        return;
    }
    // The wide form hands back the file's bytes decoded from the code page;
    // they are encoded again, so the caller sees what the 8-bit form would give.
    std::vector<wchar_t> wide(size, L'\0');
    GetPrivateProfileStringW(Widened(section).c_str(), Widened(key).c_str(), L"", wide.data(), size,
                             file.wide.c_str());
    const std::string bytes = codec_.ToAnsi(std::wstring_view(wide.data()));
    const std::size_t copied = std::min<std::size_t>(bytes.size(), size ? size - 1 : 0);
    std::memcpy(buffer, bytes.data(), copied);
    if (size) buffer[copied] = '\0';
}

unsigned long ProfileStoreWin32::WriteString(const std::string& section, const std::string& key,
                                             const std::string& value, const ProfilePath& file) {
    SetLastError(0);
    if (!file.ansi.empty())
        return ResultOf(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.ansi.c_str()));
    return ResultOf(WritePrivateProfileStringW(Widened(section).c_str(), Widened(key).c_str(),
                                               codec_.FromAnsi(value).c_str(), file.wide.c_str()));
}

PathKind ProfileStoreWin32::Find(const std::wstring& filePath) {
    WIN32_FIND_DATAW found{};
    handles::Find search(FindFirstFileW(filePath.c_str(), &found));
    if (!search || search.get() == INVALID_HANDLE_VALUE) return PathKind::Nothing;
    // Hidden and system are no reason to pass the file by: read as missing,
    // the shut-down would write blanks over the operator's credentials.
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

unsigned long ProfileStoreWin32::ReadError(const std::wstring& filePath) {
    // The profile functions answer an unreadable file with the defaults, as if
    // it were empty; only opening it tells the two apart.
    handles::Kernel file(CreateFileW(filePath.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_READ_FAULT;
    }
    return 0;
}

std::wstring ProfileStoreWin32::ErrorText(unsigned long error) const { return SystemErrorText(error); }
