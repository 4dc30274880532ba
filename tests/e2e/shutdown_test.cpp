#include "gateway_test.h"

namespace e2e {
namespace {

using SecondInstance = GatewayTest;
using ShutDown = GatewayTest;

TEST_F(SecondInstance, IsRefusedAndTheFirstKeepsPortAndFile) {
    StartGatewayWithPort(42061);
    ASSERT_FALSE(HasFatalFailure());
    const std::string fileBefore = folder_->ReadSettings();

    GatewayProcess second;
    std::wstring error;
    ASSERT_TRUE(second.Start(*folder_, &error)) << Narrow(error);
    auto box = second.WaitForBox(kStartTimeoutMs);
    ASSERT_TRUE(box) << "the second instance showed no message";
    EXPECT_EQ(Narrow(box->text), Narrow(kMsgAlreadyRunning));
    EXPECT_TRUE(box->topmost);
    EXPECT_EQ(ToString(box->icon), std::string("information"));
    EXPECT_TRUE(box->hasOk && box->buttonCount == 1);
    EXPECT_EQ(FindProcessWindow(second.pid(), VANTARY_MONITOR_CLASS, nullptr, true), nullptr)
        << "the refused instance shows its monitor window";
    ASSERT_TRUE(ClickButton(box->box, IDOK));
    EXPECT_TRUE(second.WaitForExit(kStartTimeoutMs)) << "the refused instance did not end after OK";

    EXPECT_TRUE(gateway_.IsRunning());
    EXPECT_TRUE(IsUdpPortHeld(42061)) << "the first instance lost its port";
    EXPECT_EQ(folder_->ReadSettings(), fileBefore) << "the refused instance wrote the settings file";
    Send(Contact("DL2XX"));
    EXPECT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "the first instance stopped uploading";
}

TEST_F(SecondInstance, IsRefusedWhileTheFirstShowsAQuestion) {
    service_.Enqueue(ScriptedReply::Status(500, "down"));
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    StartGatewayWithPort(42062);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("DL2YY", 1));
    MessageBoxView question = ExpectBox(kMsgServerError, BoxIcon::Warning, true);
    ASSERT_NE(question.box, nullptr);

    GatewayProcess second;
    std::wstring error;
    ASSERT_TRUE(second.Start(*folder_, &error)) << Narrow(error);
    auto refusal = second.WaitForBox(kStartTimeoutMs);
    ASSERT_TRUE(refusal) << "the second instance showed no message";
    EXPECT_EQ(Narrow(refusal->text), Narrow(kMsgAlreadyRunning));
    ASSERT_TRUE(ClickButton(refusal->box, IDOK));
    EXPECT_TRUE(second.WaitForExit(kStartTimeoutMs)) << "the refused instance did not end after OK";

    EXPECT_TRUE(IsWindow(question.box) && IsWindowVisible(question.box)) << "the first instance's question went";
    EXPECT_EQ(service_.RequestCount(), 1u);
    AnswerAndWait(question, IDYES);
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "the retry did not go out";
    const std::wstring line = FromAnsi(Contact("DL2YY", 1)) + L"\r\n";
    ExpectPanes(line + line, L"[500] down\r\n[200] logged\r\n");
    EXPECT_TRUE(IsUdpPortHeld(42062));
}

TEST_F(SecondInstance, ALogOffWhileItIsRefusedWritesNothing) {
    StartGatewayWithPort(42063, "op@example.org", "secret", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    const std::string fileBefore = folder_->ReadSettings();
    GatewayProcess second;
    std::wstring error;
    ASSERT_TRUE(second.Start(*folder_, &error)) << Narrow(error);
    ASSERT_TRUE(second.WaitForBox(kStartTimeoutMs)) << "the second instance showed no message";
    HWND hidden = FindProcessWindow(second.pid(), VANTARY_MONITOR_CLASS, nullptr, false);
    ASSERT_NE(hidden, nullptr);
    bool ok = false;
    SendRemote(hidden, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &ok);
    SendRemote(hidden, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, &ok);
    EXPECT_TRUE(second.WaitForExit(kStartTimeoutMs)) << "the refused instance did not end with the session";
    EXPECT_EQ(folder_->ReadSettings(), fileBefore) << "the refused instance wrote the settings file";
    EXPECT_TRUE(IsUdpPortHeld(42063));
    EXPECT_TRUE(gateway_.IsRunning());
}

// A record logged while the question waits is posted only once it is answered.
TEST_F(ShutDown, CloseAnsweredNoKeepsEverything) {
    StartGatewayWithPort(42071);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));  // a save would bring it back
    PostMessageW(gateway_.monitor(), WM_SYSCOMMAND, SC_CLOSE, 0);
    MessageBoxView question = ExpectBox(kMsgReallyStop, BoxIcon::Warning, true);
    Send(Contact("ON4AA", 1));
    EXPECT_TRUE(NoMoreRequests(0)) << "the record was posted under the question";
    AnswerAndWait(question, IDNO);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "the record held under the question was lost";
    EXPECT_EQ(FieldOf(service_.Requests()[0], "adif"), Contact("ON4AA", 1));
    EXPECT_TRUE(StaysFalse([&] { return !gateway_.IsRunning() || !IsWindowVisible(gateway_.monitor()); },
                           kQuietPeriodMs))
        << "the window did not stay after No";
    EXPECT_FALSE(folder_->SettingsExist()) << "No still wrote the settings file";
    EXPECT_TRUE(IsUdpPortHeld(42071));
    Send(Contact("ON4AA", 2));
    EXPECT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "the listener stopped after No";
}

TEST_F(ShutDown, CloseFromWindowMenuAsksToo) {
    StartGatewayWithPort(42072);
    ASSERT_FALSE(HasFatalFailure());
    PostMessageW(gateway_.monitor(), WM_SYSCOMMAND, SC_CLOSE, 0);
    MessageBoxView question = ExpectBox(kMsgReallyStop, BoxIcon::Warning, true);
    AnswerAndWait(question, IDNO);
    EXPECT_TRUE(gateway_.IsRunning());
}

TEST_F(ShutDown, CloseAnsweredYesWritesFileAndEnds) {
    StartGatewayWithPort(42073, "first@example.org", "pw", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    ASSERT_TRUE(folder_->SettingsExist()) << "Yes did not write the settings file";
    const std::string file = folder_->ReadSettings();
    EXPECT_NE(file.find("email=first@example.org"), std::string::npos) << file;
    EXPECT_NE(file.find("HostPortNumber=42073"), std::string::npos) << file;
    EXPECT_FALSE(IsUdpPortHeld(42073)) << "the port is still held after the end";
}

TEST_F(ShutDown, EndSessionClosesWithoutQuestionAndWritesFile) {
    StartGatewayWithPort(42074);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    bool ok = false;
    LRESULT agrees = SendRemote(gateway_.monitor(), WM_QUERYENDSESSION, 0, 0, &ok);
    ASSERT_TRUE(ok) << "WM_QUERYENDSESSION not answered (a question box?)";
    EXPECT_NE(agrees, 0) << "the gateway refused the session end";
    EXPECT_FALSE(gateway_.HasBox()) << "a question was asked at the session end";
    SendRemote(gateway_.monitor(), WM_ENDSESSION, TRUE, 0, &ok);
    EXPECT_TRUE(WaitUntil([&] { return folder_->SettingsExist(); }, kReplyTimeoutMs))
        << "the session end did not write the settings file";
    EXPECT_FALSE(gateway_.HasBox());
    EXPECT_TRUE(gateway_.WaitForExit(kReplyTimeoutMs)) << "still running after the session end";
    EXPECT_NE(folder_->ReadSettings().find("HostPortNumber=42074"), std::string::npos);
}

TEST_F(ShutDown, PositionAtShutDownIsSaved) {
    StartGatewayWithPort(42075);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(SetWindowPos(gateway_.monitor(), nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    ASSERT_TRUE(WaitUntil([&] { RECT r; GetWindowRect(gateway_.monitor(), &r); return r.left == 40 && r.top == 60; },
                          5000));
    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    const std::string file = folder_->ReadSettings();
    const int dpi = ScreenDpi();
    EXPECT_NE(file.find("FormTop=" + std::to_string(60 * 1440 / dpi) + "\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("FormLeft=" + std::to_string(40 * 1440 / dpi) + "\r\n"), std::string::npos) << file;
}

}  // namespace
}  // namespace e2e
