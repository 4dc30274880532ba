#include "gateway_test.h"

namespace e2e {
namespace {

// Showing is quick; hiding blocks the gateway about 2 s under Xvfb.
constexpr DWORD kToggleTimeoutMs = 10000;

class Tray : public GatewayTest {
protected:
    void Notify(UINT mouseMessage) {
        ASSERT_TRUE(PostMessageW(gateway_.monitor(), VANTARY_WM_TRAY, 1, mouseMessage));
    }
    bool Visible() const { return IsWindowVisible(gateway_.monitor()) != 0; }
    bool WaitVisible(bool visible) {
        return WaitUntil([&] { return Visible() == visible; }, kToggleTimeoutMs);
    }
    // Nothing orders our posted messages against our checks, so watch for a
    // while instead.
    bool StaysVisible(bool visible) {
        return StaysFalse([&] { return Visible() != visible; }, kQuietPeriodMs);
    }
};

bool ShowsLastLine(HWND pane) {
    const LRESULT lines = SendRemote(pane, EM_GETLINECOUNT, 0, 0);
    const LRESULT first = SendRemote(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    // Pointers do not cross processes: take the packed result (texts here stay below 64 K).
    const LRESULT end = HIWORD(SendRemote(pane, EM_GETSEL, 0, 0));
    // The caret at the end, and the view scrolled down off the first line.
    return lines > 1 && first > 0 && end == SendRemote(pane, WM_GETTEXTLENGTH, 0, 0);
}

TEST_F(Tray, LeftButtonDownHidesAndShowsAgain) {
    StartGatewayWithPort(42201);
    ASSERT_FALSE(HasFatalFailure());
    Notify(WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitVisible(false)) << "the press did not hide the window";
    EXPECT_TRUE(gateway_.IsRunning());
    Notify(WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitVisible(true)) << "the press did not show the window again";
    EXPECT_FALSE(IsIconic(gateway_.monitor()));
}

TEST_F(Tray, UploadsGoOnWhileHiddenAndPanesShowLastLineWhenShown) {
    StartGatewayWithPort(42202);
    ASSERT_FALSE(HasFatalFailure());
    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_HIDECOMMAND), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitVisible(false)) << "Hide to tray did not hide";
    const int count = 40;
    for (int i = 0; i < count; ++i) Send(Contact("EI" + std::to_string(i) + "AA", i));
    ASSERT_TRUE(service_.WaitForRequests(count, 60000)) << "uploads stopped while hidden: "
                                                        << service_.RequestCount();
    // A click while an upload waits for its reply is ignored, as under a box:
    // the last reply must be in before the icon is pressed.
    ASSERT_TRUE(WaitUntil([&] {
        const std::wstring replies = gateway_.Pane2();
        size_t lines = 0;
        for (size_t at = replies.find(L"\r\n"); at != std::wstring::npos; at = replies.find(L"\r\n", at + 2)) ++lines;
        return lines >= static_cast<size_t>(count);
    }, 60000)) << "not every reply reached the pane";
    Notify(WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitVisible(true));
    EXPECT_TRUE(WaitUntil([&] { return ShowsLastLine(GetDlgItem(gateway_.monitor(), IDC_TEXT1)); }, 5000))
        << "pane 1 does not show its last line";
    EXPECT_TRUE(WaitUntil([&] { return ShowsLastLine(GetDlgItem(gateway_.monitor(), IDC_TEXT2)); }, 5000))
        << "pane 2 does not show its last line";
}

TEST_F(Tray, MinimisedWindowIsHiddenThenRestored) {
    StartGatewayWithPort(42203);
    ASSERT_FALSE(HasFatalFailure());
    ShowWindowAsync(gateway_.monitor(), SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(gateway_.monitor()) != 0; }, kToggleTimeoutMs));
    Notify(WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitVisible(false)) << "a minimised window was not hidden";
    Notify(WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitVisible(true));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(gateway_.monitor()); }, kToggleTimeoutMs))
        << "shown minimised instead of normal";
}

TEST_F(Tray, DoubleClickTogglesOnce) {
    StartGatewayWithPort(42204);
    ASSERT_FALSE(HasFatalFailure());
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Notify(m);
    ASSERT_TRUE(WaitVisible(false));
    EXPECT_TRUE(StaysVisible(false)) << "the double click toggled twice";
}

TEST_F(Tray, OtherMouseMessagesDoNothing) {
    StartGatewayWithPort(42205);
    ASSERT_FALSE(HasFatalFailure());
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP}) Notify(m);
    EXPECT_TRUE(StaysVisible(true)) << "a message other than the left press toggled the window";
    EXPECT_FALSE(gateway_.HasBox());
}

TEST_F(Tray, PointerMovementOverWindowNeverToggles) {
    StartGatewayWithPort(42206);
    ASSERT_FALSE(HasFatalFailure());
    // At a high DPI the pointer can be 513 pixels or more into the window.
    for (int x : {513, 514, 515, 600, 1026})
        PostMessageW(gateway_.monitor(), WM_MOUSEMOVE, 0, MAKELPARAM(x, 10));
    EXPECT_TRUE(StaysVisible(true)) << "pointer movement toggled the window";
}

TEST_F(Tray, TheIconIsInTheTrayWithItsTipAndGoneAfterShutDown) {
    StartGatewayWithPort(42207);
    ASSERT_FALSE(HasFatalFailure());
    HWND monitor = gateway_.monitor();
    ASSERT_TRUE(WaitUntil([&] { return TrayIconPresent(monitor); }, kReplyTimeoutMs)) << "no icon in the tray";
    std::wstring tip = TrayTipOfOnlyIcon(5000);
    while (!tip.empty() && tip.back() == L' ') tip.pop_back();
    EXPECT_EQ(Narrow(tip), "Vantary Gateway by the Vantary team");
    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    EXPECT_FALSE(TrayIconPresent(monitor)) << "the icon stayed after the shut-down";
}

TEST_F(Tray, ANewTaskbarGetsTheIconBackWhetherOrNotItKeptIt) {
    StartGatewayWithPort(42211);
    ASSERT_FALSE(HasFatalFailure());
    HWND monitor = gateway_.monitor();
    ASSERT_TRUE(WaitUntil([&] { return TrayIconPresent(monitor); }, kReplyTimeoutMs));
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    bool ok = false;
    SendRemote(monitor, taskbarCreated, 0, 0, &ok);  // the shell kept it
    ASSERT_TRUE(ok) << "the gateway did not answer TaskbarCreated";
    EXPECT_TRUE(TrayIconPresent(monitor));
    ASSERT_TRUE(RemoveTrayIcon(monitor));  // the shell lost it, as a restarted one would
    ASSERT_FALSE(TrayIconPresent(monitor));
    SendRemote(monitor, taskbarCreated, 0, 0, &ok);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconPresent(monitor); }, kReplyTimeoutMs))
        << "the icon did not come back after TaskbarCreated";
    EXPECT_TRUE(gateway_.IsRunning());
    EXPECT_FALSE(gateway_.HasBox());
    Notify(WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitVisible(false)) << "the icon's notifications stopped after TaskbarCreated";
}

TEST_F(Tray, ExitCommandEndsWithoutQuestionAndWritesFile) {
    StartGatewayWithPort(42208);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    PostMessageW(gateway_.monitor(), WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_TRUE(gateway_.WaitForExit(kReplyTimeoutMs)) << "Exit did not end the program"
                                                       << (gateway_.HasBox() ? " (a box asks)" : "");
    EXPECT_TRUE(folder_->SettingsExist()) << "Exit did not write the settings file";
}

TEST_F(Tray, MenuCommandsHideAndShow) {
    StartGatewayWithPort(42209);
    ASSERT_FALSE(HasFatalFailure());
    PostMessageW(gateway_.monitor(), WM_COMMAND, MAKEWPARAM(IDM_HIDE_POPUP, 0), 0);
    ASSERT_TRUE(WaitVisible(false)) << "Hide this popup menu did not hide the monitor";
    PostMessageW(gateway_.monitor(), WM_COMMAND, MAKEWPARAM(IDM_SHOW_MONITOR, 0), 0);
    ASSERT_TRUE(WaitVisible(true)) << "Show Vantary Gateway Monitor did not show it";
    PostMessageW(gateway_.monitor(), WM_COMMAND, MAKEWPARAM(IDM_SHOW_SETTINGS, 0), 0);
    EXPECT_NE(WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs),
              nullptr)
        << "Show Settings did not open the settings window";
}

TEST_F(Tray, RightButtonOpensMenu) {
    StartGatewayWithPort(42210);
    ASSERT_FALSE(HasFatalFailure());
    Notify(WM_RBUTTONDOWN);
    Notify(WM_RBUTTONUP);
    HWND menu = WaitForProcessWindow(gateway_.pid(), L"#32768", nullptr, kReplyTimeoutMs);
    ASSERT_NE(menu, nullptr) << "no popup menu on the right button";
    EXPECT_TRUE(Visible()) << "the right button toggled the window";
    // Dismiss it as a click elsewhere would.
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, kReplyTimeoutMs)) << "the menu stays";
}

}  // namespace
}  // namespace e2e
