#include <cstdlib>

#include "gateway_test.h"

namespace e2e {
namespace {

// The value of "key=" on a line of its own, and where the line starts.
std::optional<std::string> IniValue(const std::string& file, const std::string& key, size_t* at = nullptr) {
    size_t pos = 0;
    for (;;) {
        pos = file.find(key + "=", pos);
        if (pos == std::string::npos) return std::nullopt;
        if (pos == 0 || file[pos - 1] == '\n') break;
        ++pos;
    }
    if (at) *at = pos;
    size_t start = pos + key.size() + 1;
    size_t end = file.find_first_of("\r\n", start);
    return file.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void ExpectKeysInOrder(const std::string& file) {
    const char* keys[] = {"email", "password", "callsign", "HostPortNumber", "FormTop", "FormLeft"};
    size_t last = 0;
    bool first = true;
    for (const char* key : keys) {
        size_t at = 0;
        ASSERT_TRUE(IniValue(file, key, &at)) << "no " << key << " in:\n" << file;
        if (!first) {
            EXPECT_GT(at, last) << key << " out of order in:\n" << file;
        }
        last = at;
        first = false;
    }
    EXPECT_NE(file.find("[Credentials]"), std::string::npos) << file;
    EXPECT_NE(file.find("[GatewayUDPsettings]"), std::string::npos) << file;
    EXPECT_NE(file.find("[FormLocation]"), std::string::npos) << file;
}

using Startup = GatewayTest;
using SettingsFile = GatewayTest;

TEST_F(Startup, FirstStartWithoutFileUsesDefaultsAndWritesFileOnlyAtShutDown) {
    StartGateway(nullptr);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(2333); }, kStartTimeoutMs)) << "first-run port 2333 not bound";

    RECT r;
    ASSERT_TRUE(GetWindowRect(gateway_.monitor(), &r));
    const int width = r.right - r.left, height = r.bottom - r.top;
    EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2.0, 1.5) << "not centred horizontally";
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2.0, 1.5) << "not centred vertically";

    // Start-up never writes the file: it comes with the first save.
    EXPECT_FALSE(folder_->SettingsExist());

    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    ASSERT_TRUE(folder_->SettingsExist()) << "no settings file after shut-down";
    const std::string file = folder_->ReadSettings();
    ExpectKeysInOrder(file);
    EXPECT_EQ(IniValue(file, "email").value_or("?"), "");
    EXPECT_EQ(IniValue(file, "password").value_or("?"), "");
    EXPECT_EQ(IniValue(file, "callsign").value_or("?"), "");
    EXPECT_EQ(IniValue(file, "HostPortNumber").value_or("?"), "2333");
    EXPECT_NEAR(std::strtod(IniValue(file, "FormTop").value_or("x").c_str(), nullptr), PixelsToTwips(r.top), 15.5);
    EXPECT_NEAR(std::strtod(IniValue(file, "FormLeft").value_or("x").c_str(), nullptr), PixelsToTwips(r.left), 15.5);
}

TEST_F(Startup, WindowShowsCaptionVersionAndControls) {
    StartGatewayWithPort(42001);
    ASSERT_FALSE(HasFatalFailure());
    HWND w = gateway_.monitor();
    EXPECT_EQ(Narrow(WindowText(w)), "WSJT-X Vantary Gateway Monitor");
    EXPECT_EQ(Narrow(ControlText(w, IDC_VERSIONLABEL)), "v2.03");
    EXPECT_EQ(Narrow(ControlText(w, IDC_LABEL1)), "ADIF to Vantary");
    EXPECT_EQ(Narrow(ControlText(w, IDC_LABEL2)), "Vantary response");
    EXPECT_EQ(Narrow(ControlText(w, IDC_LABEL6)), "Vantary real-time uploader");
    EXPECT_EQ(Narrow(ControlText(w, IDC_SETTINGSCOMMAND)), "Settings");
    EXPECT_EQ(Narrow(ControlText(w, IDC_HIDECOMMAND)), "Hide to tray");
    EXPECT_FALSE(ControlText(w, IDC_LABEL4).empty()) << "no credit line";
    EXPECT_EQ(gateway_.Pane1(), L"");
    EXPECT_EQ(gateway_.Pane2(), L"");

    for (int pane : {IDC_TEXT1, IDC_TEXT2}) {
        LONG style = GetWindowLongW(GetDlgItem(w, pane), GWL_STYLE);
        EXPECT_TRUE(style & ES_MULTILINE) << "pane " << pane << " not multi-line";
        EXPECT_TRUE(style & ES_READONLY) << "pane " << pane << " not read-only";
        EXPECT_TRUE(style & WS_VSCROLL) << "pane " << pane << " has no vertical scroll bar";
    }

    RECT client;
    GetClientRect(w, &client);
    EXPECT_NEAR(client.right, TwipsToPixels(4440), 1.5) << "client width";
    EXPECT_NEAR(client.bottom, TwipsToPixels(2505), 1.5) << "client height";

    // The lowest tab index is the Settings button.
    EXPECT_TRUE(WaitUntil([&] { return FocusedControl(w) == GetDlgItem(w, IDC_SETTINGSCOMMAND); }, 3000))
        << "initial focus is not on Settings";
}

TEST_F(Startup, RestoresWindowPositionFromFile) {
    StartGatewayWithPort(42002);  // FormTop=1200, FormLeft=1500
    ASSERT_FALSE(HasFatalFailure());
    RECT r;
    GetWindowRect(gateway_.monitor(), &r);
    EXPECT_NEAR(r.top, TwipsToPixels(1200), 1.5);
    EXPECT_NEAR(r.left, TwipsToPixels(1500), 1.5);
}

TEST_F(SettingsFile, EmptyPortKeyGives2233) {
    const std::string file = SettingsText("op@example.org", "pw", "DL1ABC", "");
    StartGateway(&file);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(2233); }, kStartTimeoutMs)) << "port 2233 not bound";
    EXPECT_FALSE(IsUdpPortHeld(2333)) << "took the first-run port instead";
}

TEST_F(SettingsFile, MissingPortSectionGives2233AndMissingLocationTopLeft) {
    const std::string file = "[Credentials]\r\nemail=op@example.org\r\npassword=pw\r\ncallsign=DL1ABC\r\n";
    StartGateway(&file);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(2233); }, kStartTimeoutMs)) << "port 2233 not bound";
    RECT r;
    GetWindowRect(gateway_.monitor(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
}

TEST_F(SettingsFile, ShutDownRewritesAllKeysInOrder) {
    const std::string before = SettingsText("op@example.org", "s3cret pw", "DL1ABC", "42003",
                                            "FormTop=-1200\r\nFormLeft=12x\r\n");
    StartGateway(&before);
    ASSERT_FALSE(HasFatalFailure());
    port_ = 42003;
    ASSERT_TRUE(WaitUntil([] { return IsUdpPortHeld(42003); }, kStartTimeoutMs));
    RECT r;
    GetWindowRect(gateway_.monitor(), &r);
    EXPECT_NEAR(r.top, -TwipsToPixels(1200), 1.5) << "FormTop -1200";
    EXPECT_NEAR(r.left, TwipsToPixels(12), 1.5) << "FormLeft 12x reads as 12";

    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    const std::string after = folder_->ReadSettings();
    ExpectKeysInOrder(after);
    EXPECT_EQ(IniValue(after, "email").value_or("?"), "op@example.org");
    EXPECT_EQ(IniValue(after, "password").value_or("?"), "s3cret pw");
    EXPECT_EQ(IniValue(after, "callsign").value_or("?"), "DL1ABC");
    EXPECT_EQ(IniValue(after, "HostPortNumber").value_or("?"), "42003");
    EXPECT_NEAR(std::strtod(IniValue(after, "FormTop").value_or("x").c_str(), nullptr), PixelsToTwips(r.top), 15.5);
}

// Hidden or system, it is the operator's file: passed by, the close would blank it.
TEST_F(SettingsFile, AHiddenSystemFileIsReadAndKeepsItsCredentialsAfterAClose) {
    const std::string file = SettingsText("op@example.org", "hidden-pw", "DL1ABC", "42004");
    ASSERT_TRUE(folder_->WriteSettings(file));
    ASSERT_TRUE(SetFileAttributesW(folder_->settingsPath().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    StartGateway(nullptr);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(42004); }, kStartTimeoutMs)) << "the hidden file was not loaded";
    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    const std::string after = folder_->ReadSettings();
    EXPECT_EQ(IniValue(after, "email").value_or("?"), "op@example.org") << after;
    EXPECT_EQ(IniValue(after, "password").value_or("?"), "hidden-pw") << after;
    EXPECT_EQ(IniValue(after, "callsign").value_or("?"), "DL1ABC") << after;
}

}  // namespace
}  // namespace e2e
