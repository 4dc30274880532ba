#include "gateway_test.h"

namespace e2e {
namespace {

class SettingsWindow : public GatewayTest {
protected:
    HWND OpenFromButton() {
        PostMessageW(GetDlgItem(gateway_.monitor(), IDC_SETTINGSCOMMAND), BM_CLICK, 0, 0);
        return WaitForSettings();
    }
    HWND WaitForSettings() {
        return WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs);
    }
    bool SettingsOpen() const {
        return FindProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, nullptr, true) != nullptr;
    }
    // Rejects the login once, confirms the message, and returns the settings
    // window that the rejection opens.
    HWND RejectLogin(const std::string& record) {
        Send(record);
        MessageBoxView forbidden = ExpectBox(kMsgForbidden, BoxIcon::Critical, false);
        if (!forbidden.box) return nullptr;
        ClickButton(forbidden.box, IDOK);
        return WaitForSettings();
    }
    void ClickAndWaitClosed(HWND settings, int id) {
        ASSERT_TRUE(ClickButton(settings, id)) << "no button " << id;
        ASSERT_TRUE(WaitForWindowGone(settings, kReplyTimeoutMs)) << "the settings window stays open";
    }
};

TEST_F(SettingsWindow, OpensFromButtonFilledFromStateWithFocusOnCancel) {
    StartGatewayWithPort(42101, "op@example.org", "secret", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr) << "no settings window after Settings";
    EXPECT_EQ(Narrow(WindowText(s)), "WSJT-X Vantary Gateway Settings");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_EMAILTEXT)), "op@example.org");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_PASSWORDTEXT)), "secret");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_CALLSIGNTEXT)), "DL1ABC");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_HOSTPORTNUMBERTEXT)), "42101");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_VERSIONLABEL)), "v2.03");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_SAVECOMMAND)), "Save");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_CANCELCOMMAND)), "Cancel");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_SHOWPASSWORDSCHECK)), "Show password");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_FRAME1)), "Vantary credentials");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_FRAME2)), "Gateway server settings");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_FRAME3)), "WSJT-X settings (Reporting tab)");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_FRAME4)), "Other comptible applications");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_LABEL11)), "Enable logged contact ADIF proadcast");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_LABEL2)), "Application password");
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_LABEL12)),
              "Vantary Gateway is running in the System Tray. Click the icon to open it.");
    EXPECT_EQ(SendRemote(GetDlgItem(s, IDC_S_PASSWORDTEXT), EM_GETPASSWORDCHAR, 0, 0), L'*');
    for (int box : {IDC_S_EMAILTEXT, IDC_S_CALLSIGNTEXT, IDC_S_PASSWORDTEXT, IDC_S_HOSTPORTNUMBERTEXT})
        EXPECT_GT(SendRemote(GetDlgItem(s, box), EM_GETLIMITTEXT, 0, 0), 0x10000) << "box " << box << " has a limit";
    EXPECT_EQ(SendRemote(GetDlgItem(s, IDC_S_SHOWPASSWORDSCHECK), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(GetWindow(s, GW_OWNER), nullptr) << "the settings window has an owner";
    EXPECT_TRUE(WaitUntil([&] { return FocusedControl(s) == GetDlgItem(s, IDC_S_CANCELCOMMAND); }, 3000))
        << "initial focus is not on Cancel";

    // A second press brings the same window, not another one.
    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_SETTINGSCOMMAND), BM_CLICK, 0, 0);
    EXPECT_TRUE(StaysFalse([&] {
        int n = 0;
        for (HWND h = FindWindowExW(nullptr, nullptr, VANTARY_SETTINGS_CLASS, nullptr); h;
             h = FindWindowExW(nullptr, h, VANTARY_SETTINGS_CLASS, nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            n += pid == gateway_.pid() && IsWindowVisible(h);
        }
        return n != 1;
    }, kQuietPeriodMs));
}

TEST_F(SettingsWindow, TabMovesThroughControlsInOrder) {
    StartGatewayWithPort(42102);
    ASSERT_FALSE(HasFatalFailure());
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    const int order[] = {IDC_S_CANCELCOMMAND, IDC_S_EMAILTEXT, IDC_S_CALLSIGNTEXT, IDC_S_PASSWORDTEXT,
                         IDC_S_SHOWPASSWORDSCHECK, IDC_S_HOSTPORTNUMBERTEXT, IDC_S_SAVECOMMAND, IDC_S_CANCELCOMMAND};
    for (size_t i = 0; i < std::size(order); ++i) {
        HWND want = GetDlgItem(s, order[i]);
        ASSERT_NE(want, nullptr) << "no control " << order[i];
        ASSERT_TRUE(WaitUntil([&] { return FocusedControl(s) == want; }, 3000))
            << "step " << i << ": focus is on id " << GetDlgCtrlID(FocusedControl(s)) << ", want " << order[i];
        if (i + 1 < std::size(order)) {
            HWND focus = FocusedControl(s);
            PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0x000F0001);
            PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC00F0001);
        }
    }
}

TEST_F(SettingsWindow, SaveUnchangedRebindsAndWritesFile) {
    StartGatewayWithPort(42103, "op@example.org", "pw", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    ClickAndWaitClosed(s, IDC_S_SAVECOMMAND);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([&] { return folder_->SettingsExist(); }, kReplyTimeoutMs)) << "Save wrote no file";
    const std::string file = folder_->ReadSettings();
    EXPECT_NE(file.find("email=op@example.org"), std::string::npos) << file;
    EXPECT_NE(file.find("HostPortNumber=42103"), std::string::npos) << file;
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(42103); }, kReplyTimeoutMs)) << "not bound again";
    Send(Contact("HB9AA"));
    EXPECT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "no upload after Save";
}

TEST_F(SettingsWindow, OpensAfterLoginRejectionAndCaseChangeUnblocks) {
    service_.Enqueue(ScriptedReply::Status(403, "denied"));
    StartGatewayWithPort(42104, "op@example.org", "pw", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    HWND s = RejectLogin(Contact("AA1AA", 1));
    ASSERT_NE(s, nullptr) << "the rejection did not open the settings window";
    EXPECT_FALSE(IsIconic(s));
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_EMAILTEXT), L"OP@example.org"));
    ClickAndWaitClosed(s, IDC_S_SAVECOMMAND);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("AA1AA", 2));
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "still blocked after the e-mail's case changed";
    EXPECT_EQ(FindField(DecodeForm(service_.Requests()[1].body), "email").value_or(FormField{}).decoded,
              "OP@example.org");
    EXPECT_TRUE(NoBoxAppears());
}

TEST_F(SettingsWindow, BlockedAndOnlyPortChangedStaysBlockedOnNewPort) {
    service_.Enqueue(ScriptedReply::Status(403, "denied"));
    StartGatewayWithPort(42105);
    ASSERT_FALSE(HasFatalFailure());
    HWND s = RejectLogin(Contact("AA1AA", 1));
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_HOSTPORTNUMBERTEXT), L"42106"));
    ClickAndWaitClosed(s, IDC_S_SAVECOMMAND);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(42106); }, kReplyTimeoutMs)) << "new port not bound";
    EXPECT_FALSE(IsUdpPortHeld(42105)) << "old port still held";
    EXPECT_NE(folder_->ReadSettings().find("HostPortNumber=42106"), std::string::npos);
    port_ = 42106;
    Send(Contact("AA1AA", 2));
    ExpectBox(kMsgBlocked, BoxIcon::Critical, false);
    EXPECT_EQ(service_.RequestCount(), 1u);
}

TEST_F(SettingsWindow, EscapeClosesWithoutApplying) {
    StartGatewayWithPort(42107, "op@example.org", "pw", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DeleteFileW(folder_->settingsPath().c_str()));
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    HWND email = GetDlgItem(s, IDC_S_EMAILTEXT);
    ASSERT_TRUE(SetWindowTextRemote(email, L"other@example.org"));
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_HOSTPORTNUMBERTEXT), L"42108"));
    PostMessageW(email, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(email, WM_CHAR, 27, 0x00010001);
    PostMessageW(email, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    ASSERT_TRUE(WaitForWindowGone(s, kReplyTimeoutMs)) << "Esc did not close the settings window";
    EXPECT_FALSE(folder_->SettingsExist()) << "Esc wrote the settings file";
    EXPECT_TRUE(IsUdpPortHeld(42107));
    EXPECT_FALSE(IsUdpPortHeld(42108));
    Send(Contact("LA1AA"));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    EXPECT_EQ(FindField(DecodeForm(service_.Requests()[0].body), "email").value_or(FormField{}).decoded,
              "op@example.org");
}

TEST_F(SettingsWindow, ShowPasswordTogglesMaskAndNextOpeningIsMasked) {
    StartGatewayWithPort(42109, "op@example.org", "secret", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    HWND pw = GetDlgItem(s, IDC_S_PASSWORDTEXT);
    HWND check = GetDlgItem(s, IDC_S_SHOWPASSWORDSCHECK);
    ASSERT_EQ(SendRemote(pw, EM_GETPASSWORDCHAR, 0, 0), L'*');
    PostMessageW(check, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return SendRemote(pw, EM_GETPASSWORDCHAR, 0, 0) == 0; }, 5000)) << "still masked";
    EXPECT_EQ(Narrow(WindowText(pw)), "secret");
    PostMessageW(check, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return SendRemote(pw, EM_GETPASSWORDCHAR, 0, 0) == L'*'; }, 5000)) << "not masked";
    PostMessageW(check, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return SendRemote(pw, EM_GETPASSWORDCHAR, 0, 0) == 0; }, 5000));
    ClickAndWaitClosed(s, IDC_S_CANCELCOMMAND);
    ASSERT_FALSE(HasFatalFailure());
    s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SendRemote(GetDlgItem(s, IDC_S_PASSWORDTEXT), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(SendRemote(GetDlgItem(s, IDC_S_SHOWPASSWORDSCHECK), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(SettingsWindow, OpensBelowRightOfMonitorAlsoWhenHidden) {
    service_.Enqueue(ScriptedReply::Status(403, "denied"));
    StartGatewayWithPort(42110);  // monitor at 1500, 1200 twips
    ASSERT_FALSE(HasFatalFailure());
    RECT m;
    GetWindowRect(gateway_.monitor(), &m);
    const int offset = 400 * ScreenDpi() / 1440;
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    RECT r;
    GetWindowRect(s, &r);
    EXPECT_NEAR(r.left, m.left + offset, 1.5);
    EXPECT_NEAR(r.top, m.top + offset, 1.5);
    ClickAndWaitClosed(s, IDC_S_CANCELCOMMAND);
    ASSERT_FALSE(HasFatalFailure());

    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_HIDECOMMAND), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(gateway_.monitor()); }, 10000)) << "Hide to tray";
    s = RejectLogin(Contact("AA1AA"));
    ASSERT_NE(s, nullptr);
    GetWindowRect(s, &r);
    EXPECT_NEAR(r.left, m.left + offset, 1.5);
    EXPECT_NEAR(r.top, m.top + offset, 1.5);
}

TEST_F(SettingsWindow, SaveWithPortInUseKeepsOldPortAndWindow) {
    StartGatewayWithPort(42111);
    ASSERT_FALSE(HasFatalFailure());
    const std::string fileBefore = folder_->ReadSettings();
    UniqueSocket holder(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(42112);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(holder.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_HOSTPORTNUMBERTEXT), L"42112"));
    ASSERT_TRUE(ClickButton(s, IDC_S_SAVECOMMAND));
    auto box = gateway_.WaitForBox();
    ASSERT_TRUE(box) << "no message for the port in use";
    EXPECT_NE(Narrow(box->text).find("42112"), std::string::npos) << Narrow(box->text);
    EXPECT_EQ(ToString(box->icon), std::string("critical"));
    AnswerAndWait(*box, IDOK);
    EXPECT_TRUE(IsWindowVisible(s)) << "the settings window closed";
    EXPECT_EQ(Narrow(ControlText(s, IDC_S_HOSTPORTNUMBERTEXT)), "42112");
    EXPECT_EQ(folder_->ReadSettings(), fileBefore) << "the failed Save wrote the file";
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(42111); }, kReplyTimeoutMs)) << "old port not bound again";
    Send(Contact("OZ1AA"));
    EXPECT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "reception stopped";
}

TEST_F(SettingsWindow, SaveRefusesPortTextsThatAreNoPortAndKeepsTheOldOne) {
    StartGatewayWithPort(42114);
    ASSERT_FALSE(HasFatalFailure());
    const std::string fileBefore = folder_->ReadSettings();
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    for (const std::wstring text : {L"abc", L"0", L"70000", L"23 33"}) {
        SCOPED_TRACE(Narrow(text));
        ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_HOSTPORTNUMBERTEXT), text));
        ASSERT_TRUE(ClickButton(s, IDC_S_SAVECOMMAND));
        auto box = gateway_.WaitForBox();
        ASSERT_TRUE(box) << "no message for the port text";
        EXPECT_NE(Narrow(box->text).find(Narrow(text)), std::string::npos) << Narrow(box->text);
        EXPECT_EQ(ToString(box->icon), std::string("critical"));
        AnswerAndWait(*box, IDOK);
        EXPECT_TRUE(IsWindowVisible(s)) << "the settings window closed";
        EXPECT_EQ(Narrow(ControlText(s, IDC_S_HOSTPORTNUMBERTEXT)), Narrow(text));
    }
    EXPECT_FALSE(IsUdpPortHeld(2333)) << "\"23 33\" was bound after all";
    EXPECT_EQ(folder_->ReadSettings(), fileBefore) << "a refused Save wrote the file";
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(42114); }, kReplyTimeoutMs)) << "old port not bound again";
    Send(Contact("OZ1AA"));
    EXPECT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "reception stopped";
}

TEST_F(SettingsWindow, SaveBindsAPortTextWithBlanksAndKeepsItAsTyped) {
    StartGatewayWithPort(42116);
    ASSERT_FALSE(HasFatalFailure());
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_HOSTPORTNUMBERTEXT), L" 2333 "));
    ClickAndWaitClosed(s, IDC_S_SAVECOMMAND);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(gateway_.HasBox());
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(2333); }, kReplyTimeoutMs)) << "2333 not bound";
    EXPECT_FALSE(IsUdpPortHeld(42116)) << "the old port is still held";
    ASSERT_TRUE(SendDatagram(2333, Contact("OZ1AA")));
    EXPECT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "nothing received on 2333";

    // The line the profile functions make of the same value, written beside it.
    const std::wstring scratch = folder_->dir() + L"\\scratch.ini";
    ASSERT_TRUE(WritePrivateProfileStringA("GatewayUDPsettings", "HostPortNumber", " 2333 ",
                                           Narrow(scratch).c_str()));
    std::string expected = ReadFileBytes(scratch, nullptr);
    const size_t at = expected.find("HostPortNumber=");
    ASSERT_NE(at, std::string::npos) << expected;
    expected = expected.substr(at, expected.find('\n', at) - at);
    EXPECT_NE(folder_->ReadSettings().find(expected), std::string::npos)
        << "no \"" << expected << "\" in:\n" << folder_->ReadSettings();
}

// Saved, it would come back as another letter or "?": nothing is applied.
TEST_F(SettingsWindow, ACharacterTheCodePageLacksStopsTheSaveBeforeAnything) {
    BOOL lacks = FALSE;
    char bytes[8];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\x0142", 1, bytes, sizeof bytes, nullptr, &lacks);
    if (!lacks) GTEST_SKIP() << "this code page has the letter l with stroke";
    StartGatewayWithPort(42115, "op@example.org", "pw", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    const std::string fileBefore = folder_->ReadSettings();
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_EMAILTEXT), L"pawe\x0142@example.org"));
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_HOSTPORTNUMBERTEXT), L"42117"));
    ASSERT_TRUE(ClickButton(s, IDC_S_SAVECOMMAND));
    auto box = gateway_.WaitForBox();
    ASSERT_TRUE(box) << "the Save was not refused";
    EXPECT_EQ(Narrow(box->text).rfind("Vantary Gateway cannot save the \"Email\" as typed", 0), 0u)
        << Narrow(box->text);
    EXPECT_EQ(ToString(box->icon), std::string("warning"));
    AnswerAndWait(*box, IDOK);
    EXPECT_TRUE(IsWindowVisible(s)) << "the settings window closed";
    EXPECT_EQ(folder_->ReadSettings(), fileBefore) << "the refused Save wrote the file";
    EXPECT_FALSE(IsUdpPortHeld(42117)) << "the refused Save re-bound";
    Send(Contact("SP5AA"));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    EXPECT_EQ(FieldOf(service_.Requests()[0], "email"), "op@example.org");
}

TEST_F(SettingsWindow, ShutDownWithWindowOpenDoesNotApplyIt) {
    StartGatewayWithPort(42113, "op@example.org", "pw", "DL1ABC");
    ASSERT_FALSE(HasFatalFailure());
    HWND s = OpenFromButton();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(s, IDC_S_EMAILTEXT), L"unsaved@example.org"));
    std::wstring error;
    ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
    const std::string file = folder_->ReadSettings();
    EXPECT_NE(file.find("email=op@example.org"), std::string::npos) << file;
    EXPECT_EQ(file.find("unsaved"), std::string::npos) << file;
}

}  // namespace
}  // namespace e2e
