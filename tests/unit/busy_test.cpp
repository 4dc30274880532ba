#include <gtest/gtest.h>

#include "fakes.h"

namespace {
using Calls = std::vector<std::string>;

// Everything the operator can start, as the windows report it.
void TryEveryInput(Main_form& form) {
    for (UiCommand c : {UiCommand::ShowSettings, UiCommand::HideToTray, UiCommand::MenuShowMonitor,
                        UiCommand::MenuShowSettings, UiCommand::MenuHideMonitor, UiCommand::MenuExit,
                        UiCommand::SettingsSave, UiCommand::SettingsCancel})
        form.OnCommand(c);
    form.OnSettingsKey(27);
    form.OnCloseRequest(CloseSource::SettingsFrame);
    form.OnCloseRequest(CloseSource::MonitorFrame);
    form.OnTrayNotification(0x0201);
    form.OnTrayNotification(0x0205);
}

TEST(Busy, NothingTheOperatorStartsRunsWhileTheServerErrorQuestionWaits) {
    Rig rig;
    Main_form& form = rig.Loaded();
    form.settingsCommand_Click();
    rig.settings.boxes.email = L"half-typed@";
    rig.http.replies = {FakeHttp::Reply(500, "down")};
    bool inputWhileWaiting = true;
    Calls during;
    rig.boxes.whileWaiting = [&] {
        rig.boxes.whileWaiting = nullptr;
        inputWhileWaiting = rig.settings.inputEnabled;
        const size_t before = rig.log.calls.size();
        TryEveryInput(form);
        during.assign(rig.log.calls.begin() + static_cast<long>(before), rig.log.calls.end());
    };
    rig.Arrive("<call:4>K1AB <eor>");
    EXPECT_FALSE(inputWhileWaiting) << "the settings window took input during the question";
    EXPECT_TRUE(during.empty()) << "ran during the question: " << ::testing::PrintToString(during);
    EXPECT_TRUE(form.Running());
    // Afterwards the window works again, the operator's edits kept.
    EXPECT_TRUE(rig.settings.inputEnabled);
    EXPECT_TRUE(rig.settings.loaded);
    EXPECT_EQ(rig.settings.boxes.email, L"half-typed@");
    EXPECT_TRUE(rig.profile.writes.empty());
    form.OnCommand(UiCommand::SettingsCancel);
    EXPECT_FALSE(rig.settings.loaded);
}

TEST(Busy, AWindowOpenedDuringAnUploadTakesNoInputUntilItEnds) {
    Rig rig;
    Main_form& form = rig.Loaded();
    rig.http.replies = {FakeHttp::Reply(403, "login")};
    rig.Arrive("<eor>");
    ASSERT_TRUE(rig.settings.loaded);
    EXPECT_FALSE(rig.settings.enabledWhenShown) << "the upload was still under way";
    EXPECT_TRUE(rig.settings.inputEnabled);
    EXPECT_TRUE(form.TakesInput());
}

TEST(Busy, TheQuestionBeforeClosingAndTheBindFailureBlockInputToo) {
    Rig rig;
    Main_form& form = rig.Loaded();
    Calls during;
    rig.boxes.whileWaiting = [&] {
        const size_t before = rig.log.calls.size();
        auto keep = rig.boxes.whileWaiting;
        rig.boxes.whileWaiting = nullptr;
        TryEveryInput(form);
        rig.boxes.whileWaiting = keep;
        during.insert(during.end(), rig.log.calls.begin() + static_cast<long>(before), rig.log.calls.end());
    };
    rig.boxes.answers = {mb::kAnswerNo};
    EXPECT_FALSE(form.Close(kFormControlMenu));
    rig.boxes.whileWaiting = nullptr;
    form.settingsCommand_Click();
    rig.settings.boxes.HostPortNumber = L"abc";
    rig.boxes.whileWaiting = [&] {
        rig.boxes.whileWaiting = nullptr;
        EXPECT_FALSE(rig.settings.inputEnabled);
        TryEveryInput(form);
    };
    form.OnCommand(UiCommand::SettingsSave);
    EXPECT_TRUE(during.empty()) << ::testing::PrintToString(during);
    EXPECT_TRUE(rig.settings.inputEnabled);
    EXPECT_TRUE(rig.settings.loaded);
    EXPECT_EQ(rig.boxes.shown.size(), 2u);
}

// Records that arrive under a box are neither read nor posted there, and
// follow in order once it is answered: under the close question (no port
// given) and under each of Save's boxes.
TEST(Busy, DatagramsUnderAnyBoxAreHeldAndFollowInOrderAfterIt) {
    const struct {
        SettingsBoxes save;
        unsigned long writeError;
    } cases[] = {{{}, 0}, {{L"", L"", L"", L"2333"}, 5}, {{L"", L"", L"", L"abc"}, 0}, {{L"", L" pw", L"", L"2333"}, 0}};
    for (const auto& c : cases) {
        Rig rig;
        Main_form& form = rig.Loaded();
        rig.profile.writeError = c.writeError;
        rig.boxes.whileWaiting = [&] {
            rig.boxes.whileWaiting = nullptr;
            rig.Arrive("one");
            rig.Arrive("two");
            EXPECT_TRUE(rig.http.bodies.empty()) << "posted under box " << &c - cases;
        };
        if (c.save.HostPortNumber.empty()) form.OnCloseRequest(CloseSource::MonitorFrame);
        else form.SaveFromSettingsWindow(c.save);
        EXPECT_EQ(rig.boxes.shown.size(), 1u) << "a box over box " << &c - cases;
        rig.DispatchChecks();
        ASSERT_EQ(rig.http.bodies.size(), 2u) << &c - cases;
        EXPECT_NE(rig.http.bodies[0].find("&adif=one&"), std::string::npos);
        EXPECT_NE(rig.http.bodies[1].find("&adif=two&"), std::string::npos);
    }
}

// A socket fault under the close question or an upload's wait is told only
// after it; records under the fault's own box are not read, and go with the socket.
TEST(Busy, ASocketFaultIsToldOnlyWhenNothingElseWaits) {
    for (bool underUpload : {false, true}) {
        Rig rig;
        Main_form& form = rig.Loaded();
        (underUpload ? rig.http.whileWaiting : rig.boxes.whileWaiting) = [&, socket = rig.socket.handle] {
            rig.boxes.whileWaiting = rig.http.whileWaiting = nullptr;
            form.OnSocketNotification(socket, kSocketReadable, 10050);
            form.OnSocketNotification(socket, kSocketReadable, 10054);
        };
        underUpload ? rig.Arrive("first") : form.OnCloseRequest(CloseSource::MonitorFrame);
        EXPECT_EQ(rig.boxes.shown.size(), underUpload ? 0u : 1u) << "the fault's box opened inside";
        rig.boxes.whileWaiting = [&] {
            rig.boxes.whileWaiting = nullptr;
            rig.Arrive("during");
        };
        rig.DispatchChecks();
        EXPECT_EQ(rig.boxes.shown.back().text, L"Error: socket error 10050");
        EXPECT_EQ(rig.boxes.shown.size(), underUpload ? 1u : 2u);
        EXPECT_FALSE(rig.socket.bound);
        EXPECT_EQ(rig.http.bodies.size(), underUpload ? 1u : 0u);
        EXPECT_EQ(rig.socket.waiting.size(), 1u);
    }
}

TEST(SessionEnd, DuringTheServerErrorQuestionSavesEndsAndShowsNothingMore) {
    Rig rig;
    Main_form& form = rig.Loaded();
    form.settingsCommand_Click();
    rig.http.replies = {FakeHttp::Reply(500, "down")};
    rig.boxes.whileWaiting = [&] {
        rig.boxes.whileWaiting = nullptr;
        rig.log.calls.clear();
        form.OnEndSession();
    };
    rig.boxes.answers = {mb::kAnswerYes};  // whatever the destroyed box returns
    rig.Arrive("<eor>");
    EXPECT_TRUE(form.Ended());
    Calls expected;
    for (const char* k : {"Credentials/email=", "Credentials/password=", "Credentials/callsign=",
                          "GatewayUDPsettings/HostPortNumber=2333", "FormLocation/FormTop=4260", "FormLocation/FormLeft=5400"})
        expected.push_back(std::string("ini ") + k);
    for (const char* c : {"sock.Close", "settings.Unload", "tray.Remove", "view.Destroy"}) expected.push_back(c);
    EXPECT_EQ(rig.log.calls, expected) << "no retry, no further box, no pane touched after the shut-down";
    EXPECT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.http.bodies.size(), 1u);
    EXPECT_EQ(rig.socket.readChecks, 0);
    EXPECT_TRUE(form.Close(kAppWindows));  // a second notice finds the work done
    EXPECT_EQ(rig.profile.writes.size(), 6u);
}

TEST(SessionEnd, ARefusedInstanceWritesBindsAndAddsNothingWhateverArrives) {
    Rig rig;
    rig.app.previousInstance = true;
    rig.profile.exists = true;
    Main_form& form = rig.Make();
    rig.boxes.whileWaiting = [&] {
        rig.boxes.whileWaiting = nullptr;
        TryEveryInput(form);
        form.OnTaskbarCreated();
        form.OnSocketNotification(rig.socket.handle, kSocketReadable, 0);
        form.OnEndSession();
    };
    form.Form_Load();
    EXPECT_EQ(rig.log.calls, (Calls{"view.Version v2.03", "app.PrevInstance",
                                    "box Vantary Gateway is already running.", "view.Destroy", "app.End"}));
    EXPECT_TRUE(rig.profile.writes.empty());
    EXPECT_FALSE(form.Running());
}

TEST(SessionEnd, DuringTheStartUpBindFailureSavesAndAddsNoIcon) {
    Rig rig;
    rig.socket.busyPorts[2333] = true;
    Main_form& form = rig.Make();
    rig.boxes.whileWaiting = [&] { form.OnEndSession(); };
    form.Form_Load();
    EXPECT_TRUE(form.Ended());
    EXPECT_EQ(rig.profile.writes.size(), 6u);
    EXPECT_EQ(rig.log.calls.back(), "view.Destroy");
    EXPECT_EQ(std::count(rig.log.calls.begin(), rig.log.calls.end(), "tray.Add"), 0);
}

TEST(WindowEvents, SocketNotificationsOfAnotherSocketOrWithAnErrorAreToldApart) {
    Rig rig;
    Main_form& form = rig.Loaded();
    rig.socket.waiting = {"one"};
    form.OnSocketNotification(rig.socket.handle + 1, kSocketReadable, 0);  // a socket closed since
    EXPECT_TRUE(rig.http.bodies.empty());
    form.OnSocketNotification(rig.socket.handle, kSocketReadable, 10054);  // the error part first
    EXPECT_TRUE(rig.http.bodies.empty());
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, L"Error: socket error 10054");
    EXPECT_FALSE(rig.socket.bound);
}

TEST(WindowEvents, TheSessionMayEndEvenWhileAnUploadWaits) {
    Rig rig;
    Main_form& form = rig.Loaded();
    bool mayEnd = false;
    rig.socket.waiting = {"one"};
    rig.http.whileWaiting = [&] { mayEnd = form.OnQueryEndSession(); };
    form.OnSocketNotification(rig.socket.handle, kSocketReadable, 0);
    EXPECT_TRUE(mayEnd);
    EXPECT_EQ(rig.http.bodies.size(), 1u);
}

TEST(WindowEvents, TheTaskbarCreatedAgainBringsTheIconBackOnlyAfterStartUp) {
    Rig rig;
    Main_form& form = rig.Make();
    form.OnTaskbarCreated();
    EXPECT_TRUE(rig.log.calls.empty());
    form.Form_Load();
    rig.log.calls.clear();
    form.OnTaskbarCreated();
    EXPECT_EQ(rig.log.calls, (Calls{"tray.AddAgain"}));
    rig.boxes.answers = {mb::kAnswerYes};
    form.Close(kFormControlMenu);
    rig.log.calls.clear();
    form.OnTaskbarCreated();
    EXPECT_TRUE(rig.log.calls.empty());
}
}  // namespace
