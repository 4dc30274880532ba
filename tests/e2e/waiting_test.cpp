#include "gateway_test.h"

namespace e2e {
namespace {

// What the operator can do while the gateway waits for an answer.
class Waiting : public GatewayTest {
protected:
    HWND OpenSettings() {
        PostMessageW(GetDlgItem(gateway_.monitor(), IDC_SETTINGSCOMMAND), BM_CLICK, 0, 0);
        return WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs);
    }
    // Sends a record that the service answers with 500 and returns the question.
    MessageBoxView AskAfterServerError(std::uint16_t port) {
        service_.Enqueue(ScriptedReply::Status(500, "down"));
        StartGatewayWithPort(port, "op@example.org", "pw", "DL1ABC");
        if (HasFatalFailure()) return {};
        settings_ = OpenSettings();
        if (!settings_) {
            ADD_FAILURE() << "no settings window";
            return {};
        }
        SetWindowTextRemote(GetDlgItem(settings_, IDC_S_EMAILTEXT), L"typed@example.org");
        Send(Contact("SM5AA"));
        return ExpectBox(kMsgServerError, BoxIcon::Warning, true);
    }
    HWND settings_ = nullptr;
};

TEST_F(Waiting, DuringTheServerErrorQuestionNothingElseTakesInput) {
    MessageBoxView question = AskAfterServerError(42321);
    ASSERT_NE(question.box, nullptr);
    const std::string fileBefore = folder_->ReadSettings();
    EXPECT_FALSE(IsWindowEnabled(settings_)) << "the settings window takes input during the question";
    PostMessageW(GetDlgItem(settings_, IDC_S_SAVECOMMAND), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_HIDECOMMAND), BM_CLICK, 0, 0);
    PostMessageW(gateway_.monitor(), WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    PostMessageW(gateway_.monitor(), VANTARY_WM_TRAY, 1, WM_LBUTTONDOWN);
    PostMessageW(gateway_.monitor(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(StaysFalse([&] {
        return !gateway_.IsRunning() || !IsWindow(settings_) || !IsWindowVisible(gateway_.monitor()) ||
               !IsWindowVisible(question.box) || folder_->ReadSettings() != fileBefore ||
               FindProcessWindow(gateway_.pid(), L"#32770", kMessageBoxCaption, false) != question.box;
    }, kQuietPeriodMs)) << "something ran inside the question";
    AnswerAndWait(question, IDNO);
    AnswerAndWait(ExpectBox(kMsgManualUpload, BoxIcon::Information, false), IDOK);

    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(settings_) != 0; }, kReplyTimeoutMs))
        << "the settings window stays disabled";
    EXPECT_EQ(Narrow(ControlText(settings_, IDC_S_EMAILTEXT)), "typed@example.org") << "the edits were lost";
    ASSERT_TRUE(ClickButton(settings_, IDC_S_SAVECOMMAND));
    ASSERT_TRUE(WaitForWindowGone(settings_, kReplyTimeoutMs));
    EXPECT_NE(folder_->ReadSettings().find("email=typed@example.org"), std::string::npos);
    EXPECT_TRUE(gateway_.IsRunning());
}

TEST_F(Waiting, ALogOffDuringTheQuestionSavesAndEnds) {
    MessageBoxView question = AskAfterServerError(42322);
    ASSERT_NE(question.box, nullptr);
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    bool ok = false;
    EXPECT_NE(SendRemote(gateway_.monitor(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &ok), 0);
    ASSERT_TRUE(ok) << "WM_QUERYENDSESSION not answered";
    SendRemote(gateway_.monitor(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, &ok);
    ASSERT_TRUE(gateway_.WaitForExit(kReplyTimeoutMs)) << "still running after the log-off"
                                                       << (gateway_.HasBox() ? " (a box shows)" : "");
    const std::string file = folder_->ReadSettings();
    EXPECT_NE(file.find("email=op@example.org"), std::string::npos) << file;
    EXPECT_NE(file.find("HostPortNumber=42322"), std::string::npos) << file;
    EXPECT_EQ(service_.RequestCount(), 1u) << "the record was tried again after the log-off";
}

}  // namespace
}  // namespace e2e
