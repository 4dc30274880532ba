#include "gateway_test.h"

namespace e2e {
namespace {

// The upload while it waits for a slow service.
class Exchange : public GatewayTest {
protected:
    // Round trips of WM_NULL every 10 ms until the condition holds; the longest, in ms.
    template <class Condition>
    DWORD LongestAnswerUntil(Condition done, DWORD timeoutMs) {
        DWORD longest = 0;
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (!done() && GetTickCount64() < end) {
            const ULONGLONG sent = GetTickCount64();
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(gateway_.monitor(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
                return 5000;
            longest = std::max(longest, static_cast<DWORD>(GetTickCount64() - sent));
            Sleep(10);
        }
        return longest;
    }
};

TEST_F(Exchange, ASlowReplyKeepsTheWindowAnsweringWhileNothingTheOperatorStartsRuns) {
    service_.Enqueue(ScriptedReply::Delayed(6000, ScriptedReply::Status(200, "late but logged")));
    StartGatewayWithPort(42181);
    ASSERT_FALSE(HasFatalFailure());
    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_SETTINGSCOMMAND), BM_CLICK, 0, 0);
    HWND settings = WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs);
    ASSERT_NE(settings, nullptr);
    const std::string fileBefore = folder_->ReadSettings();
    const std::string record = Contact("LA1AA");
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(settings); }, 1000)) << "the settings window takes input";
    SetWindowTextRemote(GetDlgItem(settings, IDC_S_EMAILTEXT), L"typed@example.org");
    PostMessageW(GetDlgItem(settings, IDC_S_SAVECOMMAND), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_HIDECOMMAND), BM_CLICK, 0, 0);
    PostMessageW(gateway_.monitor(), VANTARY_WM_TRAY, 1, WM_LBUTTONUP);
    PostMessageW(gateway_.monitor(), WM_SYSCOMMAND, SC_CLOSE, 0);

    bool somethingRan = false;
    const DWORD longest = LongestAnswerUntil([&] {
        somethingRan = somethingRan || !IsWindow(settings) || !IsWindowVisible(gateway_.monitor()) ||
                       gateway_.HasBox() || folder_->ReadSettings() != fileBefore;
        return !gateway_.Pane2().empty();
    }, 20000);
    EXPECT_LE(longest, 100u) << "the window went unanswered for " << longest << " ms during the wait";
    EXPECT_FALSE(somethingRan) << "Save, Hide, the tray click or the close box ran during the wait";
    ExpectPanes(FromAnsi(record) + L"\r\n", L"[200] late but logged\r\n");
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(settings) != 0; }, kReplyTimeoutMs));
    EXPECT_EQ(Narrow(ControlText(settings, IDC_S_EMAILTEXT)), "typed@example.org") << "the edits were lost";
    EXPECT_TRUE(gateway_.IsRunning());
    EXPECT_FALSE(gateway_.HasBox());
}

TEST_F(Exchange, ALogOffOneSecondIntoTheWaitSavesWithinASecondAndEnds) {
    service_.Enqueue(ScriptedReply::Delayed(20000, ScriptedReply::Status(500, "never seen")));
    StartGatewayWithPort(42182, "op@example.org", "pw", "LA1AB");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    Send(Contact("LA1AB"));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    Sleep(1000);
    bool ok = false;
    const ULONGLONG asked = GetTickCount64();
    EXPECT_NE(SendRemote(gateway_.monitor(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &ok), 0);
    ASSERT_TRUE(ok) << "WM_QUERYENDSESSION not answered";
    EXPECT_LE(GetTickCount64() - asked, 1000u) << "the question was held up";
    // Not waited for: the second counts from the notice, not from the end of its handling.
    ASSERT_TRUE(SendNotifyMessageW(gateway_.monitor(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));
    EXPECT_TRUE(WaitUntil([&] { return folder_->SettingsExist(); }, 1000)) << "no settings file within a second";
    ASSERT_TRUE(gateway_.WaitForExit(5000)) << "still running after the log-off"
                                            << (gateway_.HasBox() ? " (a box shows)" : "");
    const std::string file = folder_->ReadSettings();
    EXPECT_NE(file.find("email=op@example.org"), std::string::npos) << file;
    EXPECT_NE(file.find("HostPortNumber=42182"), std::string::npos) << file;
    EXPECT_EQ(service_.RequestCount(), 1u) << "the record was tried again";
}

}  // namespace
}  // namespace e2e
