#include "gateway_test.h"

namespace e2e {
namespace {

// Keys as the operator presses them, to whichever control has the focus.
class Keys : public GatewayTest {
protected:
    static void Press(HWND control, WORD key) {
        const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        PostMessageW(control, WM_KEYDOWN, key, 1 | (scan << 16));
        if (key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE)
            PostMessageW(control, WM_CHAR, key == VK_RETURN ? L'\r' : key, 1 | (scan << 16));
        PostMessageW(control, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
    }
    // Waits for the focus on that control and presses the key there.
    void PressOn(HWND window, int id, WORD key) {
        HWND control = GetDlgItem(window, id);
        ASSERT_TRUE(WaitUntil([&] { return FocusedControl(window) == control; }, 5000))
            << "the focus is on id " << GetDlgCtrlID(FocusedControl(window)) << ", not on " << id;
        Press(control, key);
    }
    HWND Settings() const { return FindProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, true); }
    HWND WaitSettings() const {
        return WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs);
    }
};

TEST_F(Keys, TabWalksTheMonitorWindowAndEscInItsPanesDoesNothing) {
    StartGatewayWithPort(42311);
    ASSERT_FALSE(HasFatalFailure());
    HWND monitor = gateway_.monitor();
    const int order[] = {IDC_SETTINGSCOMMAND, IDC_HIDECOMMAND, IDC_TEXT1, IDC_TEXT2, IDC_SETTINGSCOMMAND};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        SCOPED_TRACE("Tab from id " + std::to_string(order[i]));
        PressOn(monitor, order[i], VK_TAB);
        ASSERT_FALSE(HasFatalFailure());
        if (order[i + 1] == IDC_TEXT1 || order[i + 1] == IDC_TEXT2) {
            PressOn(monitor, order[i + 1], VK_ESCAPE);
            ASSERT_FALSE(HasFatalFailure());
            EXPECT_TRUE(NoBoxAppears()) << "Esc in a pane asked something";
            EXPECT_TRUE(IsWindowVisible(monitor) && gateway_.IsRunning());
        }
    }
    PressOn(monitor, IDC_SETTINGSCOMMAND, VK_ESCAPE);
    EXPECT_TRUE(NoBoxAppears()) << "Esc on a button asked something";
    EXPECT_EQ(Settings(), nullptr);

    // Shift+Tab walks back, out of a pane too.
    for (int id : {IDC_TEXT2, IDC_TEXT1, IDC_HIDECOMMAND}) {
        // As the keyboard gives it: the dialog manager asks the key state for
        // Shift, which a posted message cannot set.
        PressChord(monitor, {VK_SHIFT, VK_TAB});
        EXPECT_TRUE(WaitUntil([&] { return FocusedControl(monitor) == GetDlgItem(monitor, id); }, 5000))
            << "Shift+Tab: the focus is on id " << GetDlgCtrlID(FocusedControl(monitor)) << ", not on " << id;
    }
}

TEST_F(Keys, EnterAndSpaceOnAFocusedButtonPressItAndEnterInABoxDoesNothing) {
    StartGatewayWithPort(42312);
    ASSERT_FALSE(HasFatalFailure());
    HWND monitor = gateway_.monitor();
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));

    PressOn(monitor, IDC_SETTINGSCOMMAND, VK_RETURN);
    HWND settings = WaitSettings();
    ASSERT_NE(settings, nullptr) << "Enter on \"Settings\" did not open the settings window";
    PressOn(settings, IDC_S_CANCELCOMMAND, VK_RETURN);
    ASSERT_TRUE(WaitForWindowGone(settings, kReplyTimeoutMs)) << "Enter on \"Cancel\" did not close it";

    PressOn(monitor, IDC_SETTINGSCOMMAND, VK_SPACE);
    settings = WaitSettings();
    ASSERT_NE(settings, nullptr) << "Space on \"Settings\" did not open the settings window";
    HWND password = GetDlgItem(settings, IDC_S_PASSWORDTEXT);
    for (int id : {IDC_S_CANCELCOMMAND, IDC_S_EMAILTEXT, IDC_S_CALLSIGNTEXT, IDC_S_PASSWORDTEXT}) {
        PressOn(settings, id, VK_TAB);
        ASSERT_FALSE(HasFatalFailure());
    }
    PressOn(settings, IDC_S_SHOWPASSWORDSCHECK, VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return SendRemote(password, EM_GETPASSWORDCHAR, 0, 0) == 0; }, 5000))
        << "Space on \"Show password\" did not show the password";
    PressOn(settings, IDC_S_SHOWPASSWORDSCHECK, VK_TAB);
    PressOn(settings, IDC_S_HOSTPORTNUMBERTEXT, VK_RETURN);
    EXPECT_TRUE(StaysFalse([&] { return !IsWindowVisible(settings) || folder_->SettingsExist(); }, kQuietPeriodMs))
        << "Enter in a text box did something";
    PressOn(settings, IDC_S_HOSTPORTNUMBERTEXT, VK_TAB);
    PressOn(settings, IDC_S_SAVECOMMAND, VK_SPACE);
    ASSERT_TRUE(WaitForWindowGone(settings, kReplyTimeoutMs)) << "Space on \"Save\" did not save";
    EXPECT_TRUE(folder_->SettingsExist());

    PressOn(monitor, IDC_SETTINGSCOMMAND, VK_TAB);
    PressOn(monitor, IDC_HIDECOMMAND, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(monitor); }, 10000)) << "Enter on \"Hide to tray\"";
}

TEST_F(Keys, APaneHasACaretThatTheKeysMoveAndShiftSelectsWith) {
    service_.Enqueue(ScriptedReply::Status(200, "Result: 1 out of 1 records added", "text/plain"));
    StartGatewayWithPort(42313);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("SP9XYZ"));
    HWND monitor = gateway_.monitor();
    HWND records = GetDlgItem(monitor, IDC_TEXT1);
    ASSERT_TRUE(WaitUntil([&] { return !gateway_.Pane2().empty(); }, kReplyTimeoutMs)) << "no reply shown";
    for (int id : {IDC_SETTINGSCOMMAND, IDC_HIDECOMMAND}) PressOn(monitor, id, VK_TAB);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([&] { return CaretWindow(monitor) == records; }, 5000)) << "no system caret in the pane";

    // Shift+Up from the end selects the last shown line, its CR LF with it.
    PressChord(monitor, {VK_SHIFT, VK_UP});
    const LRESULT length = SendRemote(records, WM_GETTEXTLENGTH, 0, 0);
    const LRESULT last = SendRemote(records, EM_LINEINDEX, SendRemote(records, EM_GETLINECOUNT, 0, 0) - 2, 0);
    EXPECT_TRUE(WaitUntil([&] { return SendRemote(records, EM_GETSEL, 0, 0) == MAKELONG(last, length); }, 5000));

    // The view follows the caret to the top, and the caret goes with the focus.
    ASSERT_GT(SendRemote(records, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the record fits the pane";
    PressChord(monitor, {VK_CONTROL, VK_HOME});
    EXPECT_TRUE(WaitUntil([&] {
        return SendRemote(records, EM_GETSEL, 0, 0) == 0 && SendRemote(records, EM_GETFIRSTVISIBLELINE, 0, 0) == 0;
    }, 5000));
    PressOn(monitor, IDC_TEXT1, VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return CaretWindow(monitor) != records; }, 5000)) << "the caret stays without the focus";
}

}  // namespace
}  // namespace e2e
