#include "gateway_test.h"
#include "platform/win32/winhttp_poster.h"

#if !defined(VANTARY_E2E_PLANTED_DLL) || !defined(VANTARY_UPLOAD_URL)
#error "the build passes the planted DLL's path and the gateway's endpoint"
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

// The system's WinHTTP, refusing one option the way an older system might:
// any value, or only values holding one of the given flags.
decltype(&::WinHttpSetOption) systemSetOption = nullptr;
DWORD refusedOption = 0;
DWORD refusedFlags = 0;
DWORD protocolsSet = 0;  // the TLS versions the system took last

BOOL WINAPI RefusingSetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length) {
    const DWORD value = length == sizeof(DWORD) ? *static_cast<const DWORD*>(buffer) : 0;
    if (option == refusedOption && (refusedFlags == 0 || (value & refusedFlags) != 0)) {
        SetLastError(ERROR_WINHTTP_INVALID_OPTION);
        return FALSE;
    }
    if (option == WINHTTP_OPTION_SECURE_PROTOCOLS) protocolsSet = value;
    return systemSetOption(handle, option, buffer, length);
}

class Hardening : public GatewayTest {
protected:
    void SetUp() override {
        GatewayTest::SetUp();
        if (HasFatalFailure()) return;
        std::string error;
        ASSERT_TRUE(otherHost_.Start(&error)) << error;
    }
    void TearDown() override {
        GatewayTest::TearDown();
        otherHost_.Stop();
    }

    // Where a followed redirect would take the form.
    StandInService otherHost_{kOtherHostPort};
};

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

TEST_F(Hardening, RedirectsAreShownAndNeverFollowed) {
    // The stand-in writes the content type as a header line; a second line rides along.
    const std::string elsewhere = "text/plain\r\nLocation: " + kOtherHostUrl;
    service_.Enqueue(ScriptedReply::Status(307, "moved", elsewhere));
    service_.Enqueue(ScriptedReply::Status(308, "moved for good", elsewhere));
    service_.Enqueue(ScriptedReply::Status(302, "found", "text/plain\r\nLocation: http://localhost:47080/realtime.php"));
    StartGatewayWithPort(42152);
    ASSERT_FALSE(HasFatalFailure());
    std::wstring records;
    for (int n = 1; n <= 3; ++n) {
        Send(Contact("OH2AA", n));
        ASSERT_TRUE(service_.WaitForRequests(n, kReplyTimeoutMs)) << "record " << n << " not posted";
        records += FromAnsi(Contact("OH2AA", n)) + L"\r\n";
    }
    ExpectPanes(records, L"[307] moved\r\n[308] moved for good\r\n[302] found\r\n");
    EXPECT_TRUE(NoMoreRequests(3)) << "the form was sent again after a redirect";
    EXPECT_EQ(otherHost_.RequestCount(), 0u) << "the form followed a redirect to another host";
    for (const auto& request : service_.Requests()) EXPECT_EQ(request.path, "/realtime.php");
    EXPECT_FALSE(gateway_.HasBox());
}

TEST_F(Hardening, AProtectionTheSystemRefusesFailsTheAttemptBeforeTheFormGoesOut) {
    service_.SetDefaultReply(ScriptedReply::Status(307, "moved", "text/plain\r\nLocation: " + kOtherHostUrl));
    const WinHttpLibrary library;
    ASSERT_EQ(library.Api().loadError, 0u);
    WinHttpApi api = library.Api();
    systemSetOption = api.SetOption;
    api.SetOption = RefusingSetOption;
    const struct {
        DWORD option;
        DWORD flags;
        bool posts;
        DWORD protocols;
    } cases[] = {
        {0, 0, true, WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3},
        {WINHTTP_OPTION_REDIRECT_POLICY, 0, false,
         WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3},
        {WINHTTP_OPTION_SECURE_PROTOCOLS, 0, false, 0},
        // A system that does not know TLS 1.3 still gets the TLS 1.2 floor.
        {WINHTTP_OPTION_SECURE_PROTOCOLS, WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3, true,
         WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("refused option " + std::to_string(c.option) + ", flags " + std::to_string(c.flags));
        refusedOption = c.option;
        refusedFlags = c.flags;
        protocolsSet = 0;
        const size_t before = service_.RequestCount();
        const HttpReply reply = WinHttpPoster(VANTARY_UPLOAD_URL, api).PostForm("email=op&password=secret");
        EXPECT_EQ(reply.completed, c.posts) << "status " << reply.status << ", error " << reply.errorNumber;
        if (c.posts) {
            EXPECT_EQ(reply.status, 307);
            EXPECT_EQ(service_.RequestCount(), before + 1);
        } else {
            EXPECT_EQ(reply.errorNumber, HRESULT_FROM_WIN32(ERROR_WINHTTP_INVALID_OPTION));
            EXPECT_EQ(service_.RequestCount(), before) << "the form went out without the protection";
        }
        EXPECT_EQ(protocolsSet, c.protocols);
    }
    EXPECT_EQ(otherHost_.RequestCount(), 0u) << "the form followed a redirect to another host";
}

}  // namespace
}  // namespace e2e
