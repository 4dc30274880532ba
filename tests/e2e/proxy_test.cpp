#include <cstdlib>

#include "gateway_test.h"

namespace e2e {
namespace {

// tinyproxy, which scripts/lib.sh starts in every lane.
constexpr std::uint16_t kProxyPort = 47888;
const wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

void AppendDword(std::string& blob, DWORD value) {
    for (int i = 0; i < 4; ++i) blob += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The user's proxy as Windows' proxy settings write it: the two values and the
// connection record that WinHTTP reads. Removed again afterwards.
class UserProxySetting {
public:
    explicit UserProxySetting(const std::string& proxy) {
        const std::wstring server = Widen(proxy);
        const DWORD enable = 1;
        std::string blob;
        AppendDword(blob, 0x46);  // the record's version
        AppendDword(blob, 1);     // changed once
        AppendDword(blob, 0x3);   // direct, or through the manual proxy
        AppendDword(blob, static_cast<DWORD>(proxy.size()));
        blob += proxy;
        AppendDword(blob, 0);  // no bypass list
        AppendDword(blob, 0);  // no PAC script
        blob += std::string(32, '\0');
        ok_ = RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", REG_DWORD, &enable,
                              sizeof enable) == ERROR_SUCCESS &&
              RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", REG_SZ, server.c_str(),
                              static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
              RegSetKeyValueW(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings", REG_BINARY, blob.data(),
                              static_cast<DWORD>(blob.size())) == ERROR_SUCCESS;
    }
    ~UserProxySetting() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable");
    }
    UserProxySetting(const UserProxySetting&) = delete;
    UserProxySetting& operator=(const UserProxySetting&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// How many tunnels to the stand-in the proxy has opened so far.
size_t TunnelsToStandIn() {
    const char* lane = std::getenv("VANTARY_STUNNEL_DIR");
    if (!lane) return 0;
    bool exists = false;
    const std::string log = ReadFileBytes(ToWindowsPath(std::string(lane) + "/tinyproxy.log"), &exists);
    size_t count = 0;
    for (size_t at = log.find("CONNECT localhost:47443"); at != std::string::npos;
         at = log.find("CONNECT localhost:47443", at + 1))
        ++count;
    return count;
}

using Proxy = GatewayTest;

TEST_F(Proxy, ARecordGoesThroughTheProxyTheOperatorSet) {
    ASSERT_NE(std::getenv("VANTARY_STUNNEL_DIR"), nullptr) << "run through ./scripts/test";
    const size_t before = TunnelsToStandIn();
    // By address: Wine's WinHTTP opens no tunnel through a proxy whose name is
    // the endpoint's own host name ("localhost" for both here).
    UserProxySetting proxy("127.0.0.1:" + std::to_string(kProxyPort));
    ASSERT_TRUE(proxy.ok());
    StartGatewayWithPort(42191);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = Contact("OZ1AA");
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    ExpectPanes(FromAnsi(record) + L"\r\n", L"[200] OK: stand-in default\r\n");
    EXPECT_EQ(TunnelsToStandIn(), before + 1) << "the record did not go through the proxy";
    EXPECT_EQ(FieldOf(service_.Requests()[0], "adif"), record);
    EXPECT_FALSE(gateway_.HasBox());
}

TEST_F(Proxy, AProxyThatRefusesGivesTheNoConnectionMessageWithItsNumber) {
    UserProxySetting proxy("127.0.0.1:" + std::to_string(kProxyPort + 1));  // nothing listens there
    ASSERT_TRUE(proxy.ok());
    StartGatewayWithPort(42192);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("OZ1AB"));
    AnswerAndWait(ExpectBox(L"Error -2147012867" + kMsgNoConnectionTail, BoxIcon::Critical, false), IDOK);
    EXPECT_EQ(service_.RequestCount(), 0u) << "the record went round the proxy";
    EXPECT_EQ(gateway_.Pane1(), L"");
}

}  // namespace
}  // namespace e2e
