#include "gateway_test.h"

#ifndef VANTARY_E2E_PLANTED_DLL
#error "the build passes the planted DLL's path in VANTARY_E2E_PLANTED_DLL"
#endif

namespace e2e {
namespace {

const wchar_t kPlantedMarker[] = L"planted-dll-ran";

// Wine prefers its own DLLs; this per-program override makes it look in the
// program's folder first, as Windows does for any DLL that is not a known one.
class PreferDllBesideGateway {
public:
    explicit PreferDllBesideGateway(const wchar_t* dll) : dll_(dll) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        const wchar_t order[] = L"native,builtin";
        ok_ = RegSetValueExW(key, dll_, 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order) ==
              ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~PreferDllBesideGateway() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, dll_); }
    PreferDllBesideGateway(const PreferDllBesideGateway&) = delete;
    PreferDllBesideGateway& operator=(const PreferDllBesideGateway&) = delete;
    bool ok() const { return ok_; }

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\vantary-gateway.exe\\DllOverrides";
    const wchar_t* dll_;
    bool ok_ = false;
};

using Hardening = GatewayTest;

TEST_F(Hardening, AWinHttpDllBesideTheExeIsNeverLoaded) {
    const std::wstring planted = ToWindowsPath(VANTARY_E2E_PLANTED_DLL);
    // The marker works: loaded on purpose, the DLL leaves it beside itself.
    const std::wstring probe = MakeFreshFolder(L"planted-probe");
    ASSERT_TRUE(CopyFileW(planted.c_str(), (probe + L"\\planted.dll").c_str(), FALSE));
    HMODULE loaded = LoadLibraryW((probe + L"\\planted.dll").c_str());
    ASSERT_NE(loaded, nullptr) << GetLastError();
    FreeLibrary(loaded);
    ASSERT_TRUE(FileExists(probe + L"\\" + kPlantedMarker));

    ASSERT_TRUE(CopyFileW(planted.c_str(), (folder_->dir() + L"\\winhttp.dll").c_str(), FALSE));
    PreferDllBesideGateway prefer(L"winhttp");
    ASSERT_TRUE(prefer.ok());
    StartGatewayWithPort(42151);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(FileExists(folder_->dir() + L"\\" + kPlantedMarker)) << "the planted winhttp.dll ran in the gateway";
    Send(Contact("OH2AA"));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "nothing posted";
    ExpectPanes(FromAnsi(Contact("OH2AA")) + L"\r\n", L"[200] OK: stand-in default\r\n");
}

}  // namespace
}  // namespace e2e
