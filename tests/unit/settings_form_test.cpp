#include <gtest/gtest.h>

#include "fakes.h"

namespace {
using Calls = std::vector<std::string>;

class SettingsFormTest : public ::testing::Test {
protected:
    Rig rig;
    Main_form* form = nullptr;
    void SetUp() override { form = &rig.LoadedWith("op@example.org", "pw", "DL1ABC"); }
};

TEST_F(SettingsFormTest, OpensFilledFromTheStateBelowRightOfTheMonitorAndKeepsEditsWhenShownAgain) {
    rig.view.left = 1500;
    rig.view.top = 1200;
    rig.view.visible = false;  // hidden in the tray: its position still counts
    form->OnCommand(UiCommand::MenuShowSettings);
    ASSERT_TRUE(rig.settings.loaded);
    EXPECT_EQ(rig.settings.version, L"v2.03");
    EXPECT_EQ(rig.settings.at, (std::pair<float, float>{1900, 1600}));
    EXPECT_EQ(rig.settings.boxes.email, L"op@example.org");
    EXPECT_EQ(rig.settings.boxes.HostPortNumber, L"2333");
    EXPECT_TRUE(rig.settings.masked);
    EXPECT_TRUE(rig.settings.unlimited);
    EXPECT_EQ(rig.log.calls, (Calls{"settings.Show", "settings.Normal"}));

    rig.view.visible = true;
    rig.settings.boxes.email = L"typed@example.org";
    rig.settings.minimised = true;
    rig.log.calls.clear();
    form->settingsCommand_Click();  // a minimised window stays so, with its edits
    EXPECT_EQ(rig.settings.boxes.email, L"typed@example.org");
    EXPECT_TRUE(rig.log.calls.empty());
    rig.settings.minimised = false;
    form->settingsCommand_Click();
    EXPECT_EQ(rig.log.calls, (Calls{"settings.Front"}));
    EXPECT_EQ(rig.settings.boxes.email, L"typed@example.org");
}

TEST_F(SettingsFormTest, CancelEscAndTheCloseBoxApplyNothing) {
    const auto closeWith = [&](auto close) {
        form->settingsCommand_Click();
        rig.settings.boxes = {L"new@example.org", L"new", L"N0NEW", L"2400"};
        rig.log.calls.clear();
        close();
        EXPECT_FALSE(rig.settings.loaded);
        EXPECT_EQ(rig.log.calls, (Calls{"settings.Unload"}));
        EXPECT_EQ(form->CurrentSettings().email, L"op@example.org");
        EXPECT_EQ(form->CurrentSettings().HostPortNumber, L"2333");
        EXPECT_TRUE(rig.profile.writes.empty());
    };
    closeWith([&] { form->OnCommand(UiCommand::SettingsCancel); });
    closeWith([&] { form->OnSettingsKey(27); });
    closeWith([&] { form->OnCloseRequest(CloseSource::SettingsFrame); });
    form->settingsCommand_Click();
    form->OnSettingsKey('a');
    EXPECT_TRUE(rig.settings.loaded) << "only Esc closes";
}

TEST_F(SettingsFormTest, SaveAppliesAndClosesOrKeepsTheWindowForAPortToCorrect) {
    form->settingsCommand_Click();
    rig.settings.boxes = {L"new@example.org", L"new", L"N0NEW", L"2400"};
    form->OnCommand(UiCommand::SettingsSave);
    EXPECT_FALSE(rig.settings.loaded);
    EXPECT_EQ(form->CurrentSettings().email, L"new@example.org");
    EXPECT_EQ(*rig.socket.bound, 2400);
    EXPECT_EQ(rig.profile.values["GatewayUDPsettings/HostPortNumber"], "2400");

    form->settingsCommand_Click();
    rig.settings.boxes.HostPortNumber = L"70000";
    rig.log.calls.clear();
    form->OnCommand(UiCommand::SettingsSave);
    EXPECT_TRUE(rig.settings.loaded);
    EXPECT_EQ(rig.settings.boxes.HostPortNumber, L"70000");
    EXPECT_EQ(rig.log.calls.back(), "settings.SelectPort");
    // The port that works is the one still received on, and the message says so.
    EXPECT_EQ(*rig.socket.bound, 2400);
    EXPECT_NE(rig.boxes.shown.back().text.find(L"still received on port \"2400\""), std::wstring::npos);
}

TEST_F(SettingsFormTest, ShowPasswordFollowsTheCheckBox) {
    form->settingsCommand_Click();
    rig.settings.ticked = true;
    form->OnCommand(UiCommand::SettingsShowPassword);
    EXPECT_FALSE(rig.settings.masked);
    rig.settings.ticked = false;
    form->OnCommand(UiCommand::SettingsShowPassword);
    EXPECT_TRUE(rig.settings.masked);
    rig.settings.ticked = true;
    form->OnCommand(UiCommand::SettingsShowPassword);
    form->OnCommand(UiCommand::SettingsCancel);
    form->settingsCommand_Click();
    EXPECT_TRUE(rig.settings.masked) << "every opening starts masked";
}
}  // namespace

namespace {
TEST(SettingsWindowNotMade, IsToldAndTheGatewayGoesOn) {
    Rig rig;
    Main_form& form = rig.Loaded();
    rig.settings.refuseLoad = true;
    form.settingsCommand_Click();
    form.OnCommand(UiCommand::MenuShowSettings);
    ASSERT_EQ(rig.boxes.shown.size(), 2u);
    EXPECT_EQ(rig.boxes.shown[0].text,
              L"Windows did not make the Settings window.\r\nNot enough memory resources are available.\r\n\r\n"
              L"Vantary Gateway goes on receiving and uploading. Close some programs, then try again.");
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1030u);
    rig.Arrive("<eor>");
    EXPECT_EQ(rig.http.bodies.size(), 1u);
    rig.settings.refuseLoad = false;
    form.settingsCommand_Click();
    EXPECT_TRUE(rig.settings.loaded);
}
}  // namespace
