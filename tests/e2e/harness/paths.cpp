#include "paths.h"

#include <cstdlib>

#include "win.h"

#ifndef VANTARY_E2E_GATEWAY_EXE
#error "the build passes the gateway's path in VANTARY_E2E_GATEWAY_EXE"
#endif

namespace e2e {

std::wstring ToWindowsPath(const std::string& path) {
    std::wstring out = FromAnsi(path);
    if (!out.empty() && out[0] == L'/') {
        for (auto& c : out)
            if (c == L'/') c = L'\\';
        out = L"Z:" + out;
    }
    return out;
}

std::wstring GatewayExePath() { return ToWindowsPath(VANTARY_E2E_GATEWAY_EXE); }

std::wstring TestCaPath() {
    const char* dir = std::getenv("VANTARY_TLS_DIR");
    if (!dir || !*dir) return {};
    std::wstring base = ToWindowsPath(dir);
    if (base.back() != L'\\') base += L'\\';
    return base + L"ca.der";
}

std::wstring MakeFreshFolder(const std::wstring& label) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring root = std::wstring(temp) + L"vantary-e2e";
    CreateDirectoryW(root.c_str(), nullptr);
    for (unsigned n = 0;; ++n) {
        std::wstring dir = root + L"\\" + label + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(n);
        if (CreateDirectoryW(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
}

std::string ReadFileBytes(const std::wstring& path, bool* exists) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (exists) *exists = h != INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) bytes.append(buf, n);
    CloseHandle(h);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(h);
    return ok;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(const std::string& bytes) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

}  // namespace e2e
