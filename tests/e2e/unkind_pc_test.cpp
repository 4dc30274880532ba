// An operator's PC is not a test bench: a settings file another program holds
// open, a monitor that has gone, Task Manager's End task, "localhost" over IPv6.
#include "gateway_test.h"

namespace e2e {
namespace {

class UnkindPc : public GatewayTest {
protected:
    RECT MonitorRect() const {
        RECT r{};
        GetWindowRect(gateway_.monitor(), &r);
        return r;
    }
    static bool OnTheScreen(const RECT& r) {
        return r.right > 0 && r.bottom > 0 && r.left < GetSystemMetrics(SM_CXSCREEN) &&
               r.top < GetSystemMetrics(SM_CYSCREEN);
    }
};

TEST_F(UnkindPc, AFileHeldOpenAgainstReadersIsToldAndNeverOverwritten) {
    const std::string file = SettingsText("held@example.org", "secret", "DL1HLD", "42401");
    ASSERT_TRUE(folder_->WriteSettings(file));
    UniqueHandle lock(CreateFileW(folder_->settingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
    std::wstring error;
    ASSERT_TRUE(gateway_.Start(*folder_, &error)) << Narrow(error);
    auto box = gateway_.WaitForBox();
    ASSERT_TRUE(box) << "an unreadable settings file was not reported";
    const std::string text = Narrow(box->text);
    EXPECT_EQ(text.rfind("Vantary Gateway could not read its settings from\r\n" + Narrow(folder_->settingsPath()) +
                             "\r\n", 0), 0u) << text;
    EXPECT_EQ(ToString(box->icon), std::string("warning"));
    AnswerAndWait(*box, IDOK);
    ASSERT_NE(gateway_.WaitForMonitor(kStartTimeoutMs), nullptr);
    // The lock is gone long before the end; the defaults this run holds still
    // never replace the operator's password.
    lock.reset();
    std::wstring closeError;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&closeError)) << Narrow(closeError);
    EXPECT_EQ(folder_->ReadSettings(), file) << "the unread file was overwritten";
}

TEST_F(UnkindPc, AWindowSavedOffEveryScreenOpensOnOneAndIsSavedWhereItIs) {
    for (const char* place : {"FormTop=90000\r\nFormLeft=120000\r\n", "FormTop=-90000\r\nFormLeft=-120000\r\n"}) {
        SCOPED_TRACE(place);
        port_ = 42402;
        const std::string file = SettingsText("op@example.org", "pw", "DL1ABC", "42402", place);
        StartGateway(&file);
        ASSERT_FALSE(HasFatalFailure());
        const RECT r = MonitorRect();
        EXPECT_TRUE(OnTheScreen(r)) << "at " << r.left << "," << r.top;
        const int width = r.right - r.left;
        EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 1) << "not centred";
        std::wstring error;
        ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
        const std::string saved = folder_->ReadSettings();
        EXPECT_NE(saved.find("FormLeft=" + std::to_string(static_cast<int>(PixelsToTwips(r.left))) + "\r\n"),
                  std::string::npos) << saved;
    }
    // Partly on the screen: exactly where the file puts it.
    const std::string partly = SettingsText("op@example.org", "pw", "DL1ABC", "42402", "FormTop=-1200\r\nFormLeft=1500\r\n");
    StartGateway(&partly);
    ASSERT_FALSE(HasFatalFailure());
    const RECT r = MonitorRect();
    EXPECT_EQ(r.left, TwipsToPixels(1500));
    EXPECT_EQ(r.top, -TwipsToPixels(1200));
}

TEST_F(UnkindPc, ACloseFromOutsideAsksNothingAndSaves) {
    StartGatewayWithPort(42403);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    // Task Manager's End task and taskkill send WM_CLOSE alone.
    PostMessageW(gateway_.monitor(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(gateway_.WaitForExit(kReplyTimeoutMs)) << "still running; box: " << gateway_.HasBox();
    EXPECT_NE(folder_->ReadSettings().find("HostPortNumber=42403\r\n"), std::string::npos) << "not saved";
}

TEST_F(UnkindPc, ACloseFromOutsideDuringTheServerErrorQuestionEndsWithoutAnotherBox) {
    service_.SetDefaultReply(ScriptedReply::Status(500, "down"));
    StartGatewayWithPort(42404);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    Send(Contact("SM5AA"));
    MessageBoxView question = ExpectBox(kMsgServerError, BoxIcon::Warning, true);
    ASSERT_NE(question.box, nullptr);
    PostMessageW(gateway_.monitor(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(gateway_.WaitForExit(kReplyTimeoutMs)) << "the question held the close up";
    EXPECT_NE(folder_->ReadSettings().find("HostPortNumber=42404\r\n"), std::string::npos) << "not saved";
    EXPECT_EQ(service_.RequestCount(), 1u) << "the record was tried again";
}

TEST_F(UnkindPc, DatagramsToBothLoopbacksArriveOnTheOnePort) {
    StartGatewayWithPort(42405);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(SendDatagramToIpv6Loopback(42405, Contact("JA1AA"))) << "sendto ::1 failed: " << WSAGetLastError();
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "a datagram to ::1 was not received";
    Send(Contact("JA2BB"));
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "a datagram to 127.0.0.1 was not received";
    EXPECT_EQ(FieldOf(service_.Requests()[0], "adif"), Contact("JA1AA"));
    EXPECT_EQ(FieldOf(service_.Requests()[1], "adif"), Contact("JA2BB"));
    // The port stays the gateway's alone, over IPv4 too.
    EXPECT_TRUE(IsUdpPortHeld(42405));
}

}  // namespace
}  // namespace e2e
