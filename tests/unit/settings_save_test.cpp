#include <gtest/gtest.h>

#include "fakes.h"

namespace {
using Calls = std::vector<std::string>;

class SettingsSaveTest : public ::testing::Test {
protected:
    Rig rig;
    Main_form* form = nullptr;
    void SetUp() override {
        form = &rig.Loaded();
        form->email = L"Op@Example.org";
        form->password = L"pw";
        form->callsign = L"DL1ABC";
    }
    SettingsBoxes Same() const { return {form->email, form->password, form->callsign, form->HostPortNumber}; }
};

TEST_F(SettingsSaveTest, UnchangedValuesRebindAndRewriteTheFile) {
    EXPECT_EQ(form->SaveFromSettingsWindow(Same()), SaveOutcome::Saved);
    EXPECT_EQ(rig.log.calls[0], "sock.Close");
    EXPECT_EQ(rig.log.calls[1], "sock.Bind 2333");
    EXPECT_EQ(rig.log.calls[2], "ini Credentials/email=Op@Example.org");
    EXPECT_EQ(rig.profile.writes.size(), 6u);
    EXPECT_EQ(form->UploadBlocked, kFalse);
}

TEST_F(SettingsSaveTest, ABlockIsLiftedOnlyByAChangedCredential) {
    form->UploadBlocked = kTrue;
    SettingsBoxes portOnly = Same();
    portOnly.HostPortNumber = L"2400";
    form->SaveFromSettingsWindow(portOnly);
    EXPECT_EQ(form->UploadBlocked, kTrue);
    EXPECT_EQ(*rig.socket.bound, 2400);
    EXPECT_EQ(rig.profile.values["GatewayUDPsettings/HostPortNumber"], "2400");

    SettingsBoxes caseOnly = portOnly;
    caseOnly.email = L"op@example.org";
    form->SaveFromSettingsWindow(caseOnly);
    EXPECT_EQ(form->UploadBlocked, kFalse);
    EXPECT_EQ(form->email, L"op@example.org");

    for (int which = 0; which < 3; ++which) {
        form->UploadBlocked = kTrue;
        SettingsBoxes b = Same();
        (which == 0 ? b.email : which == 1 ? b.password : b.callsign) += L" ";
        EXPECT_EQ(UploadBlockedAfterSave(*form, b), kFalse) << which;
    }
    EXPECT_EQ(UploadBlockedAfterSave(*form, Same()), kTrue);
}

TEST_F(SettingsSaveTest, ABoxIsCopiedAsTyped) {
    SettingsBoxes b{L"", L"  spaced  ", L"", L"2500"};
    form->SaveFromSettingsWindow(b);
    EXPECT_EQ(form->email, L"");
    EXPECT_EQ(form->password, L"  spaced  ");
    EXPECT_EQ(form->HostPortNumber, L"2500");
}

TEST_F(SettingsSaveTest, APortThatCannotBeBoundKeepsThePreviousOne) {
    for (const wchar_t* port : {L"2400", L"abc", L"0", L"2 333"}) {
        rig.socket.busyPorts[2400] = true;
        rig.profile.writes.clear();
        rig.boxes.shown.clear();
        SettingsBoxes b = Same();
        b.HostPortNumber = port;
        EXPECT_EQ(form->SaveFromSettingsWindow(b), SaveOutcome::PortFailed);
        ASSERT_EQ(rig.boxes.shown.size(), 1u);
        EXPECT_NE(rig.boxes.shown[0].text.find(port), std::wstring::npos);
        EXPECT_EQ(rig.boxes.shown[0].style, 0x1010u);
        EXPECT_EQ(*rig.socket.bound, 2333);
        EXPECT_EQ(form->HostPortNumber, L"2333");
        EXPECT_TRUE(rig.profile.writes.empty());
    }
}

TEST_F(SettingsSaveTest, APortTextWithBlanksBindsTheNumberAndIsKeptAsTyped) {
    SettingsBoxes b = Same();
    b.HostPortNumber = L" 02400 ";
    EXPECT_EQ(form->SaveFromSettingsWindow(b), SaveOutcome::Saved);
    EXPECT_EQ(*rig.socket.bound, 2400);
    EXPECT_EQ(form->HostPortNumber, L" 02400 ");
    EXPECT_EQ(rig.profile.values["GatewayUDPsettings/HostPortNumber"], " 02400 ");
}
}  // namespace
