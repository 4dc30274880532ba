#include <climits>

#include <oleacc.h>

#include "gateway_test.h"

namespace e2e {
namespace {

class Panes : public GatewayTest {
protected:
    // A record and its reply in both panes; a screen reader listening from the start.
    void StartWithARecord(std::uint16_t port, const std::string& reply) {
        service_.Enqueue(ScriptedReply::Status(200, reply, "text/plain"));
        StartGatewayWithPort(port);
        if (HasFatalFailure()) return;
        changes_ = std::make_unique<ValueChanges>(gateway_.pid());
        const std::string record = Contact("SP9XYZ");
        Send(record);
        ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "nothing posted";
        ExpectPanes(FromAnsi(record) + L"\r\n", L"[200] " + FromAnsi(reply) + L"\r\n");
    }
    HWND Pane(int id) const { return GetDlgItem(gateway_.monitor(), id); }
    HWND WaitForMenu() const {
        HWND menu = nullptr;
        WaitUntil([&] { return (menu = ContextMenuOf(gateway_.pid())) != nullptr; }, kReplyTimeoutMs);
        return menu;
    }
    static std::wstring Clipboard() {
        std::wstring copied;
        if (!OpenClipboard(nullptr)) return L"<no clipboard>";
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                copied = chars;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        return copied;
    }

    std::unique_ptr<ValueChanges> changes_;
};

TEST_F(Panes, ALongReplyWrapsOntoSeveralLinesAndThePaneHoldsExactlyWhatWasAppended) {
    // Longer than the pane is wide, with a lone CR and a lone LF that a
    // control could have turned into line ends.
    const std::string reply = "Result: 1 out of 1 records added to the log of DL1ABC; the contact with SP9XYZ "
                              "on 20m FT8 is confirmed\rsecond\nthird";
    StartWithARecord(42401, reply);
    ASSERT_FALSE(HasFatalFailure());

    for (int id : {IDC_TEXT1, IDC_TEXT2}) {
        SCOPED_TRACE("pane " + std::to_string(id));
        HWND pane = Pane(id);
        const LONG style = GetWindowLongW(pane, GWL_STYLE);
        EXPECT_TRUE(style & WS_VSCROLL);
        EXPECT_FALSE(style & WS_HSCROLL) << "a horizontal scroll bar";
        // One appended line, wrapped, and the empty line behind its CR LF.
        EXPECT_GE(SendRemote(pane, EM_GETLINECOUNT, 0, 0), 4) << "the line is not wrapped";
        // The last line shows: the caret at the end, and the view off the first line.
        EXPECT_EQ(HIWORD(SendRemote(pane, EM_GETSEL, 0, 0)), SendRemote(pane, WM_GETTEXTLENGTH, 0, 0));
        const LRESULT last = SendRemote(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
        EXPECT_GT(last, 0) << "the view stayed on the first line";
        // Another program's scroll counts, however large, keep the view within the text.
        for (const auto& [by, first] : {std::pair{-1, last - 1}, {INT_MAX, last}, {INT_MIN, LRESULT{0}}}) {
            SendRemote(pane, EM_LINESCROLL, 0, by);
            EXPECT_EQ(SendRemote(pane, EM_GETFIRSTVISIBLELINE, 0, 0), first) << "scrolled by " << by;
        }
    }

    // What is copied is the text as it came, lone CR and LF included.
    HWND replies = Pane(IDC_TEXT2);
    SendRemote(replies, EM_SETSEL, 6, -1);
    SendRemote(replies, WM_COPY, 0, 0);
    EXPECT_EQ(Narrow(Clipboard()), reply + "\r\n");
}

TEST_F(Panes, AScreenReaderReadsEachPaneAndEachSettingsBoxByItsLabel) {
    StartWithARecord(42402, "Result: 1 out of 1 records added");
    ASSERT_FALSE(HasFatalFailure());
    for (const auto& [id, heading] : {std::pair{IDC_TEXT1, "ADIF to Vantary"}, {IDC_TEXT2, "Vantary response"}}) {
        SCOPED_TRACE(heading);
        HWND pane = Pane(id);
        EXPECT_TRUE(changes_->WaitFor(pane, kReplyTimeoutMs)) << "no change of its text was told";
        const AccessibleView seen = ReadAccessible(pane);
        const std::wstring text = WindowText(pane);
        EXPECT_TRUE(seen.found && seen.role == ROLE_SYSTEM_TEXT && (seen.state & STATE_SYSTEM_READONLY))
            << "found " << seen.found << ", role " << seen.role << ", state " << seen.state;
        EXPECT_EQ(Narrow(seen.name), heading);
        EXPECT_EQ(Narrow(seen.value), Narrow(text));
        // Line by line, as the edit control's questions give it to whoever reads that
        // way (not EM_GETLINE: from another process it ends the receiving one under
        // Wine, the system's edit control too). A shown line ends where it wraps or
        // before its CR LF; where its first character shows leads back to it.
        const LRESULT lines = SendRemote(pane, EM_GETLINECOUNT, 0, 0);
        const LRESULT first = SendRemote(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
        for (LRESULT line = 0; line + 1 < lines; ++line) {
            const LRESULT start = SendRemote(pane, EM_LINEINDEX, line, 0);
            const LRESULT length = SendRemote(pane, EM_LINELENGTH, start, 0);
            const LRESULT next = SendRemote(pane, EM_LINEINDEX, line + 1, 0);
            ASSERT_TRUE(start >= 0 && start + length <= next && next <= static_cast<LRESULT>(text.size())) << line;
            const std::wstring between = text.substr(start + length, next - start - length);
            EXPECT_TRUE(between.empty() || between == L"\r\n") << "line " << line << ": " << Narrow(between);
            const LRESULT back = SendRemote(pane, EM_CHARFROMPOS, 0, SendRemote(pane, EM_POSFROMCHAR, start, 0));
            EXPECT_TRUE(line < first || back == MAKELONG(start, line)) << "line " << line << ": " << back;
        }
    }

    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_SETTINGSCOMMAND), BM_CLICK, 0, 0);
    HWND settings = WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs);
    ASSERT_NE(settings, nullptr);
    for (const auto& [id, label] : {std::pair{IDC_S_EMAILTEXT, "Email"}, {IDC_S_CALLSIGNTEXT, "Callsign"},
                                   {IDC_S_PASSWORDTEXT, "Application password"},
                                   {IDC_S_HOSTPORTNUMBERTEXT, "Server port number"}}) {
        const AccessibleView seen = ReadAccessible(GetDlgItem(settings, id));
        EXPECT_EQ(seen.role, ROLE_SYSTEM_TEXT) << label;
        EXPECT_EQ(Narrow(seen.name), label);
    }
}

TEST_F(Panes, ItsContextMenuSelectsAllAndCopiesExactlyThePanesText) {
    StartWithARecord(42403, "Result: 1 out of 1 records added");
    ASSERT_FALSE(HasFatalFailure());
    HWND replies = Pane(IDC_TEXT2);
    const std::wstring text = WindowText(replies);
    // Under Wine the menu's items cannot be read from another process: they
    // are chosen by their underlined letters, as from the keyboard.
    for (const wchar_t letter : {L'a', L'c'}) {
        ClickAt(replies, POINT{20, 10}, true);
        HWND menu = WaitForMenu();
        ASSERT_NE(menu, nullptr) << "a right-click opened no menu";
        PostMessageW(menu, WM_CHAR, letter, 1);
        EXPECT_TRUE(WaitForWindowGone(menu, kReplyTimeoutMs)) << "the menu stays";
        SendRemote(replies, WM_NULL, 0, 0);  // the pane has carried the choice out
    }
    EXPECT_EQ(SendRemote(replies, EM_GETSEL, 0, 0), MAKELONG(0, text.size())) << "Select All";
    EXPECT_EQ(Narrow(Clipboard()), Narrow(text)) << "Copy";

    // From the keyboard, at the caret (its end, after Select All): Shift+F10 and the Menu key.
    RECT pane{}, at{};
    GetWindowRect(replies, &pane);
    for (const std::vector<WORD>& keys : {std::vector<WORD>{VK_SHIFT, VK_F10}, {VK_APPS}}) {
        PressChord(gateway_.monitor(), keys);
        HWND menu = WaitForMenu();
        ASSERT_NE(menu, nullptr) << "no menu for the key " << keys.back();
        GetWindowRect(menu, &at);
        EXPECT_TRUE(PtInRect(&pane, POINT{at.left, at.top})) << "not at the caret";
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_TRUE(WaitForWindowGone(menu, kReplyTimeoutMs));
    }
}

}  // namespace
}  // namespace e2e
