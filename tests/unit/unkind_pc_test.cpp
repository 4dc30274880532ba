// What an operator's PC does that a test bench does not: a settings file that
// cannot be written or read, a close from Task Manager, a shell that is not
// ready for the icon.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"

namespace {
using Calls = std::vector<std::string>;
constexpr unsigned long kSharingViolation = 32;

int Count(const Calls& calls, const std::string& call) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

TEST(SettingsFileTrouble, AFailedSaveIsReportedWhereverItHappens) {
    Rig rig;
    Main_form& form = rig.Loaded();
    rig.profile.writeError = kSharingViolation;
    // The settings window's Save: the values apply, the window closes, the box says they were not stored.
    form.settingsCommand_Click();
    rig.settings.boxes = {L"new@example.org", L"pw", L"DL1NEW", L"2400"};
    form.OnCommand(UiCommand::SettingsSave);
    EXPECT_EQ(Count(rig.log.calls, "ini Credentials/email=new@example.org"), 1);
    EXPECT_EQ(rig.profile.writes.size(), 0u) << "every one of the six writes is tried";
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    const ShownBox& box = rig.boxes.shown[0];
    EXPECT_EQ(box.style, 0x1030u);
    EXPECT_NE(box.text.find(L"C:\\Radio\\vantary-gateway.ini"), std::wstring::npos) << Narrow(box.text);
    EXPECT_NE(box.text.find(L"system error 32"), std::wstring::npos);
    EXPECT_NE(box.text.find(L"apply until the gateway ends"), std::wstring::npos);
    EXPECT_EQ(box.text.substr(box.text.size() - 2), L"n.") << "no line end after the last line";
    EXPECT_EQ(form.CurrentSettings().email, L"new@example.org");
    EXPECT_EQ(*rig.socket.bound, 2400);
    EXPECT_FALSE(rig.settings.loaded);
    // Exit from the tray menu: the box, then the end.
    rig.log.calls.clear();
    form.menuExitVantaryGateway_Click();
    ASSERT_EQ(rig.boxes.shown.size(), 2u);
    EXPECT_NE(rig.boxes.shown[1].text.find(L"The next start will not have"), std::wstring::npos);
    EXPECT_EQ(rig.log.calls.back(), "view.Destroy");
    EXPECT_TRUE(form.Ended());
}

TEST(SettingsFileTrouble, NoBoxAtTheSessionsEndOrUnderAWaitingBox) {
    Rig rig;
    Main_form& form = rig.Loaded();
    rig.profile.writeError = 5;
    form.OnEndSession();
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_TRUE(form.Ended());

    // A close from outside while the 500 question waits: the box goes with the window.
    Rig busy;
    Main_form& waiting = busy.Loaded();
    busy.profile.writeError = 5;
    busy.http.replies = {FakeHttp::Reply(500, "down")};
    busy.boxes.whileWaiting = [&] {
        busy.boxes.whileWaiting = nullptr;
        waiting.OnCloseRequest(CloseSource::MonitorOutside);
    };
    busy.Arrive("<eor>");
    EXPECT_TRUE(waiting.Ended());
    ASSERT_EQ(busy.boxes.shown.size(), 1u) << "only the question itself";
    EXPECT_EQ(busy.http.bodies.size(), 1u) << "the record in flight is not tried again";
}

TEST(SettingsFileTrouble, AFileThatCannotBeReadIsNeverOverwrittenByWhatTheProgramThenHolds) {
    Rig rig;
    rig.profile.exists = true;
    rig.profile.values = {{"Credentials/password", "secret"}, {"GatewayUDPsettings/HostPortNumber", "2400"}};
    rig.profile.readError = kSharingViolation;
    Main_form& form = rig.Make();
    form.Form_Load();
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1030u);
    EXPECT_NE(rig.boxes.shown[0].text.find(L"could not read its settings"), std::wstring::npos);
    EXPECT_NE(rig.boxes.shown[0].text.find(L"C:\\Radio\\vantary-gateway.ini"), std::wstring::npos);
    EXPECT_EQ(form.CurrentSettings().HostPortNumber, L"2333") << "the first-run values serve this run";
    EXPECT_EQ(Count(rig.log.calls, "tray.Add"), 1);
    // The lock is gone by the shut-down: still nothing is written over the password.
    rig.profile.readError = 0;
    rig.boxes.answers = {mb::kAnswerYes};
    form.Close(kFormControlMenu);
    EXPECT_TRUE(rig.profile.writes.empty());
    EXPECT_EQ(rig.boxes.shown.size(), 2u) << "no report of a save that was never tried";

    // Once the operator saves in the settings window the file takes the values, then and at the end.
    Rig saved;
    saved.profile.exists = true;
    saved.profile.readError = kSharingViolation;
    Main_form& again = saved.Make();
    again.Form_Load();
    again.SaveFromSettingsWindow({L"op@example.org", L"typed", L"DL1ABC", L"2400"});
    EXPECT_EQ(saved.profile.values["Credentials/password"], "typed");
    saved.profile.writes.clear();
    again.OnEndSession();
    EXPECT_EQ(saved.profile.writes.size(), 6u);
}

TEST(SettingsFileTrouble, AFolderWithoutAShortNameIsReachedByItsWideName) {
    Rig rig;
    rig.app.folder = L"D:\\\u0420\u0430\u0434\u0438\u043e";  // no short name on this volume
    rig.profile.exists = true;
    rig.profile.values["Credentials/email"] = "op@example.org";
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.CurrentSettings().email, L"op@example.org");
    EXPECT_EQ(rig.profile.lastPath, "") << "the code page cannot name it";
    EXPECT_EQ(rig.profile.lastWidePath, L"D:\\\u0420\u0430\u0434\u0438\u043e\\vantary-gateway.ini");
    EXPECT_EQ(form.SaveSettingsToINI(), 0u);
    EXPECT_EQ(rig.profile.lastWidePath, L"D:\\\u0420\u0430\u0434\u0438\u043e\\vantary-gateway.ini");
}

TEST(CloseReasons, AClosefromOutsideAsksNothingSavesAndEndsEvenUnderABox) {
    Rig rig;
    Main_form& form = rig.Loaded();
    form.OnCloseRequest(CloseSource::MonitorOutside);
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.profile.writes.size(), 6u);
    EXPECT_EQ(rig.log.calls.back(), "view.Destroy");
    EXPECT_TRUE(form.Ended());

    // The frame's close under a waiting box does nothing; one from outside ends the program.
    Rig busy;
    Main_form& waiting = busy.Loaded();
    busy.boxes.whileWaiting = [&] {
        busy.boxes.whileWaiting = nullptr;
        waiting.OnCloseRequest(CloseSource::MonitorFrame);
        EXPECT_FALSE(waiting.Ended());
        waiting.OnCloseRequest(CloseSource::MonitorOutside);
    };
    busy.http.replies = {FakeHttp::Reply(403, "no")};
    busy.Arrive("<eor>");
    EXPECT_TRUE(waiting.Ended());
    EXPECT_EQ(busy.profile.writes.size(), 6u);
    EXPECT_FALSE(busy.settings.loaded) << "no settings window after the end";
}

TEST(ReadChecks, OnlyADatagramTakenAsksForTheNextEvenWhenTheReadThrows) {
    Rig rig;
    Main_form& form = rig.Loaded();
    // A notification with nothing waiting: the socket reports the next arrival
    // itself, and a check posted now would come back for ever.
    form.OnSocketNotification(rig.socket.handle, kSocketReadable, 0);
    EXPECT_EQ(rig.socket.readChecks, 0);
    rig.socket.failRead = true;
    EXPECT_THROW(rig.Arrive("<eor>"), std::runtime_error);
    EXPECT_EQ(rig.socket.readChecks, 1) << "a failed read left the socket without its next check";
}

TEST(TrayNotReady, TheIconIsTriedAgainUntilTheShellTakesItAndHidingWaitsForIt) {
    Rig rig;
    rig.tray.refusals = 2;
    Main_form& form = rig.Loaded();
    EXPECT_TRUE(rig.tray.retrying);
    form.HideCommand_Click();
    form.menuHideThisPopupMenu_Click();
    EXPECT_TRUE(rig.view.visible) << "hidden with no icon, nothing would bring it back";
    form.OnTrayRetryTimer();
    EXPECT_TRUE(rig.tray.retrying);
    form.OnTrayRetryTimer();
    EXPECT_FALSE(rig.tray.retrying);
    EXPECT_EQ(Count(rig.log.calls, "tray.AddAgain"), 2);
    form.OnTrayRetryTimer();  // in: nothing more to do
    EXPECT_EQ(Count(rig.log.calls, "tray.AddAgain"), 2);
    form.HideCommand_Click();
    EXPECT_FALSE(rig.view.visible);
    // Explorer restarts and refuses at first: the window may not be hidden again until it is back.
    form.menuShowVantaryGatewayMonitor_Click();
    rig.tray.refusals = 1;
    form.OnTaskbarCreated();
    EXPECT_TRUE(rig.tray.retrying);
    form.HideCommand_Click();
    EXPECT_TRUE(rig.view.visible);
    // An icon that was only tried is removed at the end all the same.
    rig.boxes.answers = {mb::kAnswerYes};
    form.Close(kFormControlMenu);
    EXPECT_EQ(Count(rig.log.calls, "tray.Remove"), 1);
    EXPECT_FALSE(rig.tray.retrying);
}
}  // namespace
