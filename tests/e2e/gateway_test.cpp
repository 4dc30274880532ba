#include "gateway_test.h"

namespace e2e {

std::string SettingsText(const std::string& email, const std::string& password, const std::string& callsign,
                         const std::string& port, const std::string& formLocation) {
    return "[Credentials]\r\nemail=" + email + "\r\npassword=" + password + "\r\ncallsign=" + callsign +
           "\r\n[GatewayUDPsettings]\r\nHostPortNumber=" + port + "\r\n[FormLocation]\r\n" + formLocation;
}

std::string Contact(const std::string& call, int n) {
    return "<call:" + std::to_string(call.size()) + ">" + call +
           " <gridsquare:4>JO62 <mode:3>FT8 <rst_sent:3>-10 <rst_rcvd:3>-12 <qso_date:8>20240512 "
           "<time_on:6>1230" + std::to_string(n % 10) + "0 <band:3>20m <freq:9>14.074512 <station_callsign:6>DL1ABC "
           "<my_gridsquare:6>JO62QM <eor>";
}

std::string FieldOf(const RecordedRequest& request, const std::string& name) {
    const auto field = FindField(DecodeForm(request.body), name);
    return field ? field->decoded : "<no " + name + " field>";
}

std::string RandomBytes(std::uint32_t& seed, size_t size) {
    std::string bytes(size, '\0');
    for (auto& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

void GatewayTest::SetUp() {
    std::string error;
    ASSERT_TRUE(service_.Start(&error)) << error;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::make_unique<GatewayFolder>(Widen(std::string(info->test_suite_name()) + "-" + info->name()));
    ASSERT_TRUE(folder_->ok()) << "cannot copy the gateway from " << Narrow(GatewayExePath());
}

void GatewayTest::TearDown() {
    gateway_.Kill();
    service_.Stop();
}

void GatewayTest::StartGateway(const std::string* settings) {
    if (settings) {
        ASSERT_TRUE(folder_->WriteSettings(*settings));
    }
    std::wstring error;
    ASSERT_TRUE(gateway_.Start(*folder_, &error)) << Narrow(error);
    ASSERT_NE(gateway_.WaitForMonitor(kStartTimeoutMs), nullptr)
        << "no visible monitor window; message box: "
        << (gateway_.HasBox() ? Narrow(ReadMessageBox(FindProcessWindow(gateway_.pid(), L"#32770",
                                                                         kMessageBoxCaption, false)).text)
                              : std::string("none"));
}

void GatewayTest::StartGatewayWithPort(std::uint16_t port, const std::string& email, const std::string& password,
                                       const std::string& callsign) {
    port_ = port;
    std::string settings = SettingsText(email, password, callsign, std::to_string(port));
    StartGateway(&settings);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitUntil([&] { return IsUdpPortHeld(port); }, kStartTimeoutMs)) << "port " << port << " not bound";
}

void GatewayTest::Send(const std::string& bytes) {
    ASSERT_TRUE(SendDatagram(port_, bytes)) << "sendto failed: " << WSAGetLastError();
}

MessageBoxView GatewayTest::ExpectBox(const std::wstring& text, BoxIcon icon, bool yesNo) {
    auto box = gateway_.WaitForBox();
    if (!box) {
        ADD_FAILURE() << "expected a message box: " << Narrow(text);
        return {};
    }
    EXPECT_EQ(Narrow(box->text), Narrow(text));
    EXPECT_TRUE(box->topmost) << "not system-modal (no WS_EX_TOPMOST)";
    EXPECT_EQ(ToString(box->icon), std::string(ToString(icon)));
    if (yesNo) {
        EXPECT_TRUE(box->hasYes && box->hasNo && box->buttonCount == 2) << "want Yes and No";
        EXPECT_EQ(box->defaultButton, IDNO) << "No must be the default";
    } else {
        EXPECT_TRUE(box->hasOk && box->buttonCount == 1) << "want OK alone";
    }
    return *box;
}

void GatewayTest::Answer(const MessageBoxView& box, int id) {
    ASSERT_NE(box.box, nullptr);
    ASSERT_TRUE(ClickButton(box.box, id)) << "no button " << id;
}

void GatewayTest::AnswerAndWait(const MessageBoxView& box, int id) {
    Answer(box, id);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.box); }, kReplyTimeoutMs)) << "the box stays";
}

bool GatewayTest::NoBoxAppears() const {
    return StaysFalse([&] { return gateway_.HasBox(); }, kQuietPeriodMs);
}

bool GatewayTest::NoMoreRequests(size_t now) const {
    return StaysFalse([&] { return service_.RequestCount() > now; }, kQuietPeriodMs);
}

void GatewayTest::ExpectPanes(const std::wstring& text1, const std::wstring& text2, DWORD timeoutMs) {
    WaitUntil([&] { return gateway_.Pane1() == text1 && gateway_.Pane2() == text2; }, timeoutMs);
    EXPECT_EQ(Narrow(gateway_.Pane1()), Narrow(text1));
    EXPECT_EQ(Narrow(gateway_.Pane2()), Narrow(text2));
}

}  // namespace e2e
