#include "platform/win32/application_win32.h"

#include <windows.h>

namespace {
// One gateway per user session: a second one would fight over the port,
// the icon and the settings file.
const wchar_t kInstanceMutexName[] = L"Local\\VantaryGateway.Instance";

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
}  // namespace

ApplicationWin32::ApplicationWin32() {
    const std::wstring path = ModulePath();
    const auto slash = path.find_last_of(L"\\/");
    folder_ = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of(L'.');
    title_ = dot == std::wstring::npos ? name : name.substr(0, dot);
}

bool ApplicationWin32::PreviousInstanceRunning() {
    instanceMutex_.reset(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
    return instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring ApplicationWin32::ShortPath(const std::wstring& path) const {
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return {};
    std::wstring shortPath(needed, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed) return {};
    shortPath.resize(length);
    return shortPath;
}
