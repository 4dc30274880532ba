#include "gateway_test.h"

namespace e2e {
namespace {

using Panes = GatewayTest;

TEST_F(Panes, ALongReplyWrapsOntoSeveralLinesAndThePaneHoldsExactlyWhatWasAppended) {
    // Longer than the pane is wide, with a lone CR and a lone LF that a
    // control could have turned into line ends.
    const std::string reply = "Result: 1 out of 1 records added to the log of DL1ABC; the contact with SP9XYZ "
                              "on 20m FT8 is confirmed\rsecond\nthird";
    service_.Enqueue(ScriptedReply::Status(200, reply, "text/plain"));
    StartGatewayWithPort(42401);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = Contact("SP9XYZ");
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "nothing posted";
    ExpectPanes(FromAnsi(record) + L"\r\n", L"[200] " + FromAnsi(reply) + L"\r\n");

    for (int id : {IDC_TEXT1, IDC_TEXT2}) {
        SCOPED_TRACE("pane " + std::to_string(id));
        HWND pane = GetDlgItem(gateway_.monitor(), id);
        const LONG style = GetWindowLongW(pane, GWL_STYLE);
        EXPECT_TRUE(style & WS_VSCROLL);
        EXPECT_FALSE(style & WS_HSCROLL) << "a horizontal scroll bar";
        // One appended line, wrapped, and the empty line behind its CR LF.
        EXPECT_GE(SendRemote(pane, EM_GETLINECOUNT, 0, 0), 4) << "the line is not wrapped";
        // The last line shows: the caret at the end, and the view off the first line.
        EXPECT_EQ(HIWORD(SendRemote(pane, EM_GETSEL, 0, 0)), SendRemote(pane, WM_GETTEXTLENGTH, 0, 0));
        EXPECT_GT(SendRemote(pane, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the view stayed on the first line";
    }

    // What is copied is the text as it came, lone CR and LF included.
    HWND replies = GetDlgItem(gateway_.monitor(), IDC_TEXT2);
    SendRemote(replies, EM_SETSEL, 6, -1);
    SendRemote(replies, WM_COPY, 0, 0);
    std::wstring copied;
    ASSERT_TRUE(OpenClipboard(nullptr));
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            copied = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    EXPECT_EQ(Narrow(copied), reply + "\r\n");
}

}  // namespace
}  // namespace e2e
