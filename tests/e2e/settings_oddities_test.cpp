#include <cstdio>

#include "gateway_test.h"

namespace e2e {
namespace {

bool PlatformRefusesWriting(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return true;
    CloseHandle(h);
    return false;
}

// Hand-edited, damaged or locked settings files: the gateway reads what it
// can, tells a save that did not reach the file, and keeps running.
class OddSettingsFile : public GatewayTest {
protected:
    void TearDown() override {
        // The folder must be writable again for the next test's clean-up.
        SetFileAttributesW(folder_->settingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesW(folder_->dir().c_str(), FILE_ATTRIBUTE_NORMAL);
        GatewayTest::TearDown();
    }

    // Starts on a file of these bytes (on the file as it is, when null) and
    // returns the credentials the first upload carries.
    std::vector<std::string> CredentialsPosted(const std::string* file, std::uint16_t port) {
        port_ = port;
        StartGateway(file);
        if (HasFatalFailure()) return {};
        EXPECT_TRUE(WaitUntil([&] { return IsUdpPortHeld(port); }, kStartTimeoutMs)) << "port " << port << " not bound";
        Send(Contact("OE1AA"));
        if (!service_.WaitForRequests(1, kReplyTimeoutMs)) {
            ADD_FAILURE() << "nothing posted";
            return {};
        }
        // Until its reply is in, the gateway takes no input, as under a box.
        EXPECT_TRUE(WaitUntil([&] { return !gateway_.Pane2().empty(); }, kReplyTimeoutMs)) << "no reply shown";
        const RecordedRequest req = service_.Requests()[0];
        return {FieldOf(req, "email"), FieldOf(req, "password"), FieldOf(req, "callsign")};
    }

    // Moves the monitor window, so that a save at shut-down would change the file.
    void MoveMonitor(int x, int y) {
        ASSERT_TRUE(SetWindowPos(gateway_.monitor(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
        ASSERT_TRUE(WaitUntil([&] { RECT r; GetWindowRect(gateway_.monitor(), &r); return r.left == x && r.top == y; },
                              5000));
    }

    // The FormTop line a save writes for a window moved to this screen row.
    static std::string FormTopLine(int y) {
        return "FormTop=" + std::to_string(y * 1440 / ScreenDpi()) + "\r\n";
    }

    void CloseWithoutAnyOtherBox() {
        std::wstring error;
        ASSERT_TRUE(gateway_.CloseAndConfirm(&error)) << Narrow(error);
        EXPECT_FALSE(gateway_.IsRunning());
    }

    // The box that tells a save that did not reach the file; answered with OK.
    void ExpectSaveFailure(const std::string& tail) {
        auto box = gateway_.WaitForBox();
        ASSERT_TRUE(box) << "a failed save was not reported";
        const std::string text = Narrow(box->text);
        EXPECT_EQ(text.rfind("Vantary Gateway could not save its settings to\r\n" +
                                 Narrow(folder_->settingsPath()) + "\r\n", 0), 0u) << text;
        EXPECT_NE(text.find(tail), std::string::npos) << text;
        EXPECT_EQ(ToString(box->icon), std::string("warning"));
        EXPECT_TRUE(box->topmost);
        AnswerAndWait(*box, IDOK);
    }

    // Close box, Yes, the report, then the end.
    void CloseExpectingSaveFailure() {
        PostMessageW(gateway_.monitor(), WM_SYSCOMMAND, SC_CLOSE, 0);
        AnswerAndWait(ExpectBox(kMsgReallyStop, BoxIcon::Warning, true), IDYES);
        ExpectSaveFailure("The next start will not have the settings of this run.");
        EXPECT_TRUE(gateway_.WaitForExit(kReplyTimeoutMs)) << "still running after the report";
    }
};

TEST_F(OddSettingsFile, GarbageLinesWithoutEqualsAndDuplicatesGiveTheFirstValues) {
    std::uint32_t seed = 7;
    std::string garbage = RandomBytes(seed, 400);
    for (auto& c : garbage)  // noise on its own lines, with no section or key syntax
        if (c == '\0' || c == '\r' || c == '\n' || c == '[' || c == '=') c = '#';
    const std::string file =
        "\xEF\xBF\xBD no section yet\r\n" + garbage + "\r\n"
        "[Credentials]\r\n"
        "a line without an equals sign\r\n"
        "email=first@example.org\r\n"
        "email=second@example.org\r\n"
        "password=first-pass\r\n"
        "callsign=DL1FST\r\n"
        "\r\n" + garbage + "\r\n"
        "[GatewayUDPsettings]\r\n"
        "HostPortNumber=42121\r\n"
        "HostPortNumber=42129\r\n"
        "[Credentials]\r\n"
        "email=third@example.org\r\n"
        "callsign=DL9DUP\r\n"
        "[FormLocation]\r\nFormTop=1200\r\nFormLeft=1500\r\n";
    const auto posted = CredentialsPosted(&file, 42121);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(posted, (std::vector<std::string>{"first@example.org", "first-pass", "DL1FST"}));
    EXPECT_FALSE(IsUdpPortHeld(42129)) << "the second HostPortNumber was used";
    EXPECT_FALSE(gateway_.HasBox());
}

TEST_F(OddSettingsFile, ValuesLongerThan254CharactersAreCut) {
    std::string email(1000, 'e');
    for (size_t i = 0; i < email.size(); ++i) email[i] = static_cast<char>('a' + i % 26);
    const std::string password(255, 'p');
    const std::string callsign(254, 'c');
    const std::string file = SettingsText(email, password, callsign, "42122");
    const auto posted = CredentialsPosted(&file, 42122);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0], email.substr(0, 254));
    EXPECT_EQ(posted[1], password.substr(0, 254));
    EXPECT_EQ(posted[2], callsign) << "a value of exactly 254 characters must come back whole";
}

TEST_F(OddSettingsFile, TenMegabyteFileIsReadAndItsOtherSectionsKept) {
    std::string file = SettingsText("big@example.org", "pw", "DL1BIG", "42123");
    std::string junk;
    for (int i = 0; junk.size() < 10 * 1000 * 1000; ++i)
        junk += "[Other" + std::to_string(i) + "]\r\nkey=" + std::string(200, 'v') + "\r\n";
    file += junk;
    const auto posted = CredentialsPosted(&file, 42123);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(posted, (std::vector<std::string>{"big@example.org", "pw", "DL1BIG"}));
    MoveMonitor(48, 96);
    CloseWithoutAnyOtherBox();
    const std::string after = folder_->ReadSettings();
    EXPECT_NE(after.find(FormTopLine(96)), std::string::npos) << "the save did not reach the big file";
    EXPECT_NE(after.find("[Other0]\r\n"), std::string::npos) << "other sections were removed";
    EXPECT_GE(after.size(), file.size() - 64) << "the file lost its other sections";
}

TEST_F(OddSettingsFile, AFolderNameOutsideTheCodePageStillHoldsTheSettings) {
    // Cyrillic and Greek together: no single-byte code page holds both.
    folder_ = std::make_unique<GatewayFolder>(L"\u0420\u0430\u0434\u0438\u043e-\u03a9\u03bc\u03ad\u03b3\u03b1");
    ASSERT_TRUE(folder_->ok());
    ASSERT_NE(FromAnsi(Narrow(folder_->dir())), folder_->dir()) << "the code page can name this folder";
    const std::string file = SettingsText("cp@example.org", "pw", "DL1CP", "42127");
    const auto posted = CredentialsPosted(&file, 42127);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(posted, (std::vector<std::string>{"cp@example.org", "pw", "DL1CP"}));
    MoveMonitor(48, 96);
    CloseWithoutAnyOtherBox();
    const std::string after = folder_->ReadSettings();
    EXPECT_NE(after.find(FormTopLine(96)), std::string::npos) << "the save did not reach the file: " << after;
    EXPECT_NE(after.find("email=cp@example.org\r\n"), std::string::npos) << after;
}

TEST_F(OddSettingsFile, ReadOnlyFileIsReadAndAFailedSaveIsReported) {
    const std::string file = SettingsText("ro@example.org", "pw", "DL1RO", "42124");
    ASSERT_TRUE(folder_->WriteSettings(file));
    ASSERT_TRUE(SetFileAttributesW(folder_->settingsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    const auto posted = CredentialsPosted(nullptr, 42124);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(posted, (std::vector<std::string>{"ro@example.org", "pw", "DL1RO"}));
    MoveMonitor(32, 64);
    // Wine run as root writes read-only files like any other; where the
    // platform keeps them, the save is reported and the file left as it was.
    if (PlatformRefusesWriting(folder_->settingsPath())) {
        CloseExpectingSaveFailure();
        EXPECT_EQ(folder_->ReadSettings(), file) << "a read-only file was changed";
    } else {
        CloseWithoutAnyOtherBox();
        std::printf("note: this platform writes read-only files, so the save went through\n");
    }

    // The next start loads what the file held before.
    GatewayProcess next;
    std::wstring error;
    ASSERT_TRUE(next.Start(*folder_, &error)) << Narrow(error);
    ASSERT_NE(next.WaitForMonitor(kStartTimeoutMs), nullptr);
    EXPECT_TRUE(WaitUntil([] { return IsUdpPortHeld(42124); }, kStartTimeoutMs));
    EXPECT_FALSE(next.HasBox());
    next.Kill();
}

// Another program holding the file open against writers (a backup tool, an
// editor) makes every save fail, whoever runs the test.
TEST_F(OddSettingsFile, LockedFileIsReadAndEveryFailedSaveIsReported) {
    const std::string file = SettingsText("locked@example.org", "pw", "DL1LK", "42126");
    ASSERT_TRUE(folder_->WriteSettings(file));
    UniqueHandle lock(CreateFileW(folder_->settingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(PlatformRefusesWriting(folder_->settingsPath())) << "the lock does not keep writers out";
    const auto posted = CredentialsPosted(nullptr, 42126);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(posted, (std::vector<std::string>{"locked@example.org", "pw", "DL1LK"}));
    // Save in the settings window: the new values apply all the same.
    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_SETTINGSCOMMAND), BM_CLICK, 0, 0);
    HWND settings = WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(SetWindowTextRemote(GetDlgItem(settings, IDC_S_EMAILTEXT), L"new@example.org"));
    ASSERT_TRUE(ClickButton(settings, IDC_S_SAVECOMMAND));
    ExpectSaveFailure("The new settings apply until the gateway ends, but the next start will not have them.");
    ASSERT_TRUE(WaitForWindowGone(settings, kReplyTimeoutMs));
    Send(Contact("OE2BB"));
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    EXPECT_EQ(FieldOf(service_.Requests()[1], "email"), "new@example.org");
    ASSERT_TRUE(WaitUntil([&] { return gateway_.Pane2().find(L"\r\n") != gateway_.Pane2().rfind(L"\r\n"); },
                          kReplyTimeoutMs)) << "the second reply was not shown";
    CloseExpectingSaveFailure();
    lock.reset();
    EXPECT_EQ(folder_->ReadSettings(), file) << "the locked file was changed";
}

TEST_F(OddSettingsFile, ReadOnlyFolderRunsOnWithoutAReport) {
    const std::string file = SettingsText("rodir@example.org", "pw", "DL1RD", "42125");
    ASSERT_TRUE(folder_->WriteSettings(file));
    ASSERT_TRUE(SetFileAttributesW(folder_->dir().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    const auto posted = CredentialsPosted(nullptr, 42125);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(posted, (std::vector<std::string>{"rodir@example.org", "pw", "DL1RD"}));
    CloseWithoutAnyOtherBox();
    // Windows lets a program write into a folder marked read-only; either way
    // the file still holds a whole set of settings.
    const std::string after = folder_->ReadSettings();
    EXPECT_NE(after.find("email=rodir@example.org\r\n"), std::string::npos) << after;
    EXPECT_NE(after.find("HostPortNumber=42125\r\n"), std::string::npos) << after;
}

}  // namespace
}  // namespace e2e
