#include <gtest/gtest.h>

#include "fakes.h"

namespace {
using Calls = std::vector<std::string>;

TEST(StartUp, RunsItsStepsInOrder) {
    Rig rig;
    rig.profile.exists = true;
    rig.profile.values["GatewayUDPsettings/HostPortNumber"] = "2400";
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(rig.log.calls, (Calls{"view.Version v2.03", "app.PrevInstance", "ini.Exists", "view.SetTop",
                                    "view.SetLeft", "sock.Close", "sock.Udp", "sock.Bind 2400", "tray.Add"}));
    EXPECT_EQ(form.CurrentSettings().Version, L"v2.03");
    EXPECT_EQ(rig.TrialsSoFar(), 0);
    // Neither blocked nor counting; the key is 40 lowercase hexadecimal digits.
    const std::string& body = rig.http.bodies.at(0);
    const std::string key = body.substr(body.find("&api=") + 5);
    EXPECT_EQ(key.size(), 40u);
    for (char c : key) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
}

TEST(StartUp, ASecondInstanceIsRefusedBeforeTouchingAnything) {
    Rig rig;
    rig.app.previousInstance = true;
    rig.Make().Form_Load();
    EXPECT_EQ(rig.log.calls, (Calls{"view.Version v2.03", "app.PrevInstance",
                                    "box Vantary Gateway is already running.", "app.End"}));
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, L"Vantary Gateway is already running.\r\nClick system tray icon.");
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1040u);
    EXPECT_FALSE(rig.form->Running());
}

TEST(StartUp, AFailedBindIsReportedAndTheTrayStepStillRuns) {
    // " 2333" in the file loads trimmed; typed in Settings it stays and fails.
    for (const char* port : {"abc", "0", "70000", "2333x", "-1", "99999999999"}) {
        Rig rig;
        rig.profile.exists = true;
        rig.profile.values["GatewayUDPsettings/HostPortNumber"] = port;
        rig.Make().Form_Load();
        ASSERT_EQ(rig.boxes.shown.size(), 1u) << port;
        EXPECT_EQ(rig.boxes.shown[0].style, 0x1010u);
        EXPECT_NE(rig.boxes.shown[0].text.find(rig.form->CurrentSettings().HostPortNumber), std::wstring::npos);
        EXPECT_FALSE(rig.socket.bound);
        EXPECT_EQ(rig.log.calls.back(), "tray.Add");
    }
    Rig busy;
    busy.socket.busyPorts[2333] = true;
    busy.Make().Form_Load();
    ASSERT_EQ(busy.boxes.shown.size(), 1u);
    EXPECT_NE(busy.boxes.shown[0].text.find(L"Address already in use."), std::wstring::npos);
    EXPECT_NE(busy.boxes.shown[0].text.find(L"2333"), std::wstring::npos);
}

TEST(ShutDown, CloseFromTheFrameAnsweredNoKeepsEverything) {
    Rig rig;
    Main_form& form = rig.Loaded();
    rig.boxes.answers = {mb::kAnswerNo};
    EXPECT_FALSE(form.Close(kFormControlMenu));
    EXPECT_EQ(rig.log.calls, (Calls{"box Do you really want to stop Vantary real-time Uploader?"}));
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1134u);
    EXPECT_TRUE(rig.socket.bound);
}

TEST(ShutDown, YesRunsTheWholeSequenceInOrder) {
    Rig rig;
    Main_form& form = rig.Loaded();
    form.settingsCommand_Click();
    rig.settings.boxes.email = L"unsaved@example.org";
    rig.log.calls.clear();
    rig.boxes.answers = {mb::kAnswerYes};
    EXPECT_TRUE(form.Close(kFormControlMenu));
    Calls expected{"box Do you really want to stop Vantary real-time Uploader?"};
    for (const char* k : {"Credentials/email=", "Credentials/password=", "Credentials/callsign=",
                          "GatewayUDPsettings/HostPortNumber=2333"})
        expected.push_back(std::string("ini ") + k);
    expected.push_back("ini FormLocation/FormTop=4260");
    expected.push_back("ini FormLocation/FormLeft=5400");
    for (const char* c : {"sock.Close", "settings.Unload", "tray.Remove", "view.Destroy"}) expected.push_back(c);
    EXPECT_EQ(rig.log.calls, expected);
    EXPECT_EQ(form.CurrentSettings().email, L"");  // the open settings window was not applied
}

TEST(ShutDown, WindowsEndingTheSessionAsksNothing) {
    for (std::int16_t reason : {kFormCode, kAppWindows, kAppTaskManager}) {
        Rig rig;
        Main_form& form = rig.Loaded();
        EXPECT_TRUE(form.Close(reason));
        EXPECT_TRUE(rig.boxes.shown.empty());
        EXPECT_EQ(rig.profile.writes.size(), 6u);
        EXPECT_EQ(rig.log.calls.back(), "view.Destroy");
        EXPECT_TRUE(form.Close(reason));  // a second request finds the work done
        EXPECT_EQ(rig.profile.writes.size(), 6u);
    }
}

TEST(Buttons, HideAndSettings) {
    Rig rig;
    Main_form& form = rig.Loaded();
    form.HideCommand_Click();
    form.settingsCommand_Click();
    EXPECT_EQ(rig.log.calls, (Calls{"view.Hide", "settings.Show"}));
}
}  // namespace
