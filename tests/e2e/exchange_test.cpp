#include <algorithm>
#include <map>

#include "gateway_test.h"
#include "gateway/reply_cap.h"
#include "platform/win32/winhttp_poster.h"

namespace e2e {
namespace {

// A WinHTTP of the test's own. Handles come from the lowest free slot, as
// Wine hands them out, each noted with the thread that opened it; the first
// request's send blocks until the test lets it go. Never freed, so that a
// worker still blocked when a test fails finds it there.
struct FakeWinHttp {
    CriticalSection lock;
    std::map<HINTERNET, DWORD> open;       // handle: the thread that opened it
    std::vector<std::string> strangeUses;  // from another thread, or once closed
    std::vector<HINTERNET> closed;
    UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HINTERNET blocked = nullptr;
    const char* form = nullptr;  // the blocked send's form, in the poster's memory
    std::string formSent;
    bool formWiped = false;  // when the blocked request closed
    int receives = 0;
};
FakeWinHttp& fake = *new FakeWinHttp;

HINTERNET Slot(ULONG_PTR n) { return reinterpret_cast<HINTERNET>(n * 4); }

void Use(HINTERNET h, const char* call) {
    Lock l(fake.lock);
    const auto it = fake.open.find(h);
    if (it == fake.open.end() || it->second != GetCurrentThreadId())
        fake.strangeUses.push_back(std::string(call) + (it == fake.open.end() ? " on a closed handle" : " by a stranger"));
}
HINTERNET NewHandle() {
    Lock l(fake.lock);
    ULONG_PTR n = 1;
    while (fake.open.count(Slot(n))) ++n;
    fake.open[Slot(n)] = GetCurrentThreadId();
    return Slot(n);
}
HINTERNET WINAPI FakeOpen(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) { return NewHandle(); }
HINTERNET WINAPI FakeConnect(HINTERNET s, LPCWSTR, INTERNET_PORT, DWORD) { return Use(s, "Connect"), NewHandle(); }
HINTERNET WINAPI FakeOpenRequest(HINTERNET c, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*, DWORD) {
    return Use(c, "OpenRequest"), NewHandle();
}
BOOL WINAPI FakeSetTimeouts(HINTERNET h, int, int, int, int) { return Use(h, "SetTimeouts"), TRUE; }
BOOL WINAPI FakeSetOption(HINTERNET h, DWORD, LPVOID, DWORD) { return Use(h, "SetOption"), TRUE; }
BOOL WINAPI FakeSend(HINTERNET h, LPCWSTR, DWORD, LPVOID form, DWORD size, DWORD, DWORD_PTR) {
    Use(h, "SendRequest");
    bool first = false;
    {
        Lock l(fake.lock);
        if ((first = !fake.blocked)) {
            fake.blocked = h;
            fake.form = static_cast<const char*>(form);
            fake.formSent.assign(fake.form, size);
        }
    }
    if (first) WaitForSingleObject(fake.release.get(), 10000);
    return TRUE;
}
BOOL WINAPI FakeReceive(HINTERNET h, LPVOID) { return ++fake.receives, Use(h, "ReceiveResponse"), TRUE; }
BOOL WINAPI FakeQueryHeaders(HINTERNET h, DWORD info, LPCWSTR, LPVOID buffer, LPDWORD, LPDWORD) {
    Use(h, "QueryHeaders");
    if ((info & 0xFFFF) != WINHTTP_QUERY_STATUS_CODE) return SetLastError(ERROR_WINHTTP_HEADER_NOT_FOUND), FALSE;
    *static_cast<DWORD*>(buffer) = 200;
    return TRUE;
}
BOOL WINAPI FakeAvailable(HINTERNET h, LPDWORD bytes) { return *bytes = 0, Use(h, "QueryDataAvailable"), TRUE; }
BOOL WINAPI FakeClose(HINTERNET h) {
    Use(h, "CloseHandle");
    Lock l(fake.lock);
    if (h == fake.blocked)
        fake.formWiped = std::all_of(fake.form, fake.form + fake.formSent.size(), [](char c) { return c == 0; });
    fake.closed.push_back(h);
    fake.open.erase(h);
    return TRUE;
}
BOOL WINAPI NoUserProxy(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG*) { return SetLastError(ERROR_FILE_NOT_FOUND), FALSE; }

// A message that posts itself again until then: a queue that is never empty.
ULONGLONG streamUntil = 0;
LRESULT CALLBACK StreamProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP && GetTickCount64() < streamUntil) PostMessageW(w, WM_APP, 0, 0);
    return DefWindowProcW(w, m, wp, lp);
}

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

TEST_F(Exchange, AWorkerLeftAtTheDeadlineEndsByItselfAndLeavesTheNextExchangeAlone) {
    const WinHttpLibrary library;  // CrackUrl alone is the system's
    ASSERT_EQ(library.Api().loadError, 0u);
    WinHttpApi api = library.Api();
    api.Open = FakeOpen, api.Connect = FakeConnect, api.OpenRequest = FakeOpenRequest;
    api.SetTimeouts = FakeSetTimeouts, api.SetOption = FakeSetOption, api.SendRequest = FakeSend;
    api.ReceiveResponse = FakeReceive, api.QueryHeaders = FakeQueryHeaders, api.QueryDataAvailable = FakeAvailable;
    api.CloseHandle = FakeClose, api.GetIEProxyConfigForCurrentUser = NoUserProxy;
    WinHttpPoster poster(VANTARY_UPLOAD_URL, api, {1500, 30000, 30000, 30000, 30000});
    WNDCLASSW streamClass{};
    streamClass.lpfnWndProc = StreamProc;
    streamClass.lpszClassName = L"VantaryE2eStream";
    RegisterClassW(&streamClass);
    const HWND stream = CreateWindowExW(0, streamClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        nullptr, nullptr);
    ASSERT_NE(stream, nullptr);
    streamUntil = GetTickCount64() + 6000;
    PostMessageW(stream, WM_APP, 0, 0);

    const ULONGLONG start = GetTickCount64();
    const HttpReply late = poster.PostForm("email=op&password=secret");
    const ULONGLONG waited = GetTickCount64() - start;
    DestroyWindow(stream);
    EXPECT_EQ(late.errorNumber, kExchangeTimedOut);
    EXPECT_GE(waited, 1500u);
    EXPECT_LT(waited, 2500u) << "a steady stream of messages held the wait";
    {
        Lock l(fake.lock);
        EXPECT_TRUE(fake.closed.empty()) << "the window thread closed the worker's handles";
    }
    const HttpReply next = poster.PostForm("email=op&password=next");
    EXPECT_EQ(next.status, 200);
    SetEvent(fake.release.get());
    EXPECT_TRUE(WaitUntil([] { Lock l(fake.lock); return fake.open.empty(); }, 5000)) << "the worker kept its handles";
    Lock l(fake.lock);
    EXPECT_TRUE(fake.strangeUses.empty()) << ::testing::PrintToString(fake.strangeUses);
    EXPECT_EQ(fake.closed, (std::vector<HINTERNET>{Slot(6), Slot(5), Slot(4), Slot(3), Slot(2), Slot(1)}))
        << "each exchange closes its own handles, request first, session last";
    EXPECT_EQ(fake.receives, 1) << "the abandoned worker went on after its send";
    EXPECT_EQ(fake.formSent, "email=op&password=secret");
    EXPECT_TRUE(fake.formWiped) << "the password outlived the abandoned worker's request";
}

}  // namespace
}  // namespace e2e
