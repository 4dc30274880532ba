#include "gateway_test.h"

namespace e2e {
namespace {

using BindFailure = GatewayTest;

// Starts the gateway with a port text that cannot be bound and checks the
// critical message and that the program goes on running.
void ExpectFailedBindReported(GatewayFolder& folder, GatewayProcess& gateway,
                              const std::string& portText) {
    const std::string file = SettingsText("op@example.org", "pw", "DL1ABC", portText);
    ASSERT_TRUE(folder.WriteSettings(file));
    std::wstring error;
    ASSERT_TRUE(gateway.Start(folder, &error)) << Narrow(error);
    auto box = gateway.WaitForBox(kStartTimeoutMs);
    ASSERT_TRUE(box) << "no message for the failed bind of " << portText;
    EXPECT_NE(Narrow(box->text).find(portText), std::string::npos) << "the message does not name the port: "
                                                                    << Narrow(box->text);
    EXPECT_EQ(ToString(box->icon), std::string("critical"));
    EXPECT_TRUE(box->topmost);
    EXPECT_TRUE(box->hasOk);
    ASSERT_TRUE(ClickButton(box->box, IDOK));
    EXPECT_NE(gateway.WaitForMonitor(kStartTimeoutMs), nullptr) << "no monitor window after the failed bind";
    EXPECT_TRUE(StaysFalse([&] { return !gateway.IsRunning(); }, kQuietPeriodMs)) << "the program ended";
}

TEST_F(BindFailure, PortHeldByAnotherSocket) {
    UniqueSocket holder(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(42081);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(holder.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << WSAGetLastError();
    ExpectFailedBindReported(*folder_, gateway_, "42081");
    // The test's socket still has the port and gets what is sent there.
    ASSERT_TRUE(SendDatagram(42081, Contact("DL9AA")));
    char buf[512];
    DWORD timeout = 3000;
    setsockopt(holder.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    EXPECT_GT(recv(holder.get(), buf, sizeof buf, 0), 0);
    EXPECT_EQ(service_.RequestCount(), 0u);
}

TEST_F(BindFailure, PortTextThatIsNoNumber) {
    ExpectFailedBindReported(*folder_, gateway_, "abc");
}

TEST_F(BindFailure, PortZero) {
    ExpectFailedBindReported(*folder_, gateway_, "0");
}

TEST_F(BindFailure, PortOutOfRange) {
    ExpectFailedBindReported(*folder_, gateway_, "70000");
}

TEST_F(BindFailure, LeadingBlankInTheFileIsTrimmedAtLoad) {
    const std::string file = SettingsText("op@example.org", "pw", "DL1ABC", " 42082");
    StartGateway(&file);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(42082); }, kStartTimeoutMs)) << "\" 42082\" was not bound";
    EXPECT_FALSE(gateway_.HasBox());
}

TEST_F(BindFailure, ShutDownAfterFailedBindStillWritesFile) {
    ExpectFailedBindReported(*folder_, gateway_, "abc");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    EXPECT_NE(folder_->ReadSettings().find("HostPortNumber=abc"), std::string::npos)
        << "the port text was not kept as typed";
}

}  // namespace
}  // namespace e2e
