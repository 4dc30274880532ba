#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/messages.h"

namespace {
using Calls = std::vector<std::string>;

class SettingsSaveTest : public ::testing::Test {
protected:
    Rig rig;
    Main_form* form = nullptr;
    void SetUp() override {
        form = &rig.LoadedWith("Op@Example.org", "pw", "DL1ABC");
    }
    SettingsBoxes Same() const {
        const SettingsValues now = form->CurrentSettings();
        return {now.email, now.password, now.callsign, now.HostPortNumber};
    }
    // A login rejection blocks the uploads.
    void Block() {
        rig.http.replies = {FakeHttp::Reply(403, "login")};
        rig.Arrive("rejected");
        rig.boxes.shown.clear();
    }
    // Whether the next record is posted or stopped by the block's message.
    bool Blocked() {
        const std::size_t posts = rig.http.bodies.size();
        rig.Arrive("next");
        return rig.http.bodies.size() == posts && !rig.boxes.shown.empty() &&
               rig.boxes.shown.back().text.rfind(L"Upload is blocked.", 0) == 0;
    }
};

TEST_F(SettingsSaveTest, UnchangedValuesRebindAndRewriteTheFile) {
    EXPECT_EQ(form->SaveFromSettingsWindow(Same()), SaveOutcome::Saved);
    EXPECT_EQ(rig.log.calls[0], "sock.Close");
    EXPECT_EQ(rig.log.calls[1], "sock.Bind 2333");
    EXPECT_EQ(rig.log.calls[2], "ini Credentials/email=Op@Example.org");
    EXPECT_EQ(rig.profile.writes.size(), 6u);
    EXPECT_FALSE(Blocked());
}

TEST_F(SettingsSaveTest, ABlockIsLiftedOnlyByAChangedCredential) {
    Block();
    SettingsBoxes portOnly = Same();
    portOnly.HostPortNumber = L"2400";
    form->SaveFromSettingsWindow(portOnly);
    EXPECT_TRUE(Blocked());
    EXPECT_EQ(*rig.socket.bound, 2400);
    EXPECT_EQ(rig.profile.values["GatewayUDPsettings/HostPortNumber"], "2400");

    SettingsBoxes caseOnly = portOnly;
    caseOnly.email = L"op@example.org";
    form->SaveFromSettingsWindow(caseOnly);
    EXPECT_FALSE(Blocked());
    EXPECT_EQ(rig.http.bodies.back().rfind("email=op%40example%2Eorg&", 0), 0u);

    GatewayState state;
    state.email = L"Op@Example.org";
    state.password = L"pw";
    state.callsign = L"DL1ABC";
    state.UploadBlocked = kTrue;
    for (int which = 0; which < 3; ++which) {
        SettingsBoxes b{state.email, state.password, state.callsign, L"2333"};
        (which == 0 ? b.email : which == 1 ? b.password : b.callsign) += L" ";
        EXPECT_EQ(UploadBlockedAfterSave(state, b), kFalse) << which;
    }
    EXPECT_EQ(UploadBlockedAfterSave(state, {state.email, state.password, state.callsign, L"2400"}), kTrue);
}

TEST_F(SettingsSaveTest, ABoxIsCopiedAsTyped) {
    SettingsBoxes b{L"", L"sp  aced", L"", L"2500"};
    form->SaveFromSettingsWindow(b);
    EXPECT_EQ(form->CurrentSettings().email, L"");
    EXPECT_EQ(form->CurrentSettings().password, L"sp  aced");
    EXPECT_EQ(form->CurrentSettings().HostPortNumber, L"2500");
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
        EXPECT_EQ(form->CurrentSettings().HostPortNumber, L"2333");
        EXPECT_TRUE(rig.profile.writes.empty());
    }
}

// Nothing is applied (no unblock, copy, re-bind or file) while a box would come back otherwise.
TEST_F(SettingsSaveTest, AValueTheNextStartWouldReadBackOtherwiseStopsTheSaveBeforeAnything) {
    Block();
    const SettingsBoxes before = Same();
    const std::wstring e = before.email;
    const struct {
        SettingsBoxes typed;
        const wchar_t *field, *why;
    } refused[] = {
        {{e, std::wstring(255, L'p'), L"X", L"1"}, L"Application password", messages::kTooLong},
        {{e, L"pw2", L"DL\u20ac1", L"1"}, L"Callsign", messages::kNotInCodePage},
        {{L" op@example.org", L"pw2", L"X", L"1"}, L"Email", messages::kBlankAtEnd},
        {{e, L"pw\t", L"X", L"1"}, L"Application password", messages::kBlankAtEnd},
        {{L"\"op@example.org\"", L"pw2", L"X", L"1"}, L"Email", messages::kQuotesAtEnds},
        {{e, L"'pw'", L"X", L"1"}, L"Application password", messages::kQuotesAtEnds},
        {{e, L"pw2", L"DL1\r\nABC", L"1"}, L"Callsign", messages::kLineBreak},
        {{e, L"pw2", L"X", std::wstring(300, L'0') + L"2400"}, L"Server port number", messages::kTooLong},
    };
    for (const auto& c : refused) {
        rig.boxes.shown.clear();
        rig.log.calls.clear();
        EXPECT_EQ(form->SaveFromSettingsWindow(c.typed), SaveOutcome::Refused);
        ASSERT_EQ(rig.boxes.shown.size(), 1u);
        EXPECT_EQ(rig.boxes.shown[0].text, messages::ValueNotKept(c.field, c.why));
        EXPECT_EQ(rig.boxes.shown[0].style, 0x1030u);
        EXPECT_EQ(rig.log.calls.size(), 1u) << "more than the box: " << rig.log.calls.back();
        const SettingsValues now = form->CurrentSettings();
        EXPECT_EQ((SettingsBoxes{now.email, now.password, now.callsign, now.HostPortNumber}), before);
    }
    EXPECT_TRUE(Blocked()) << "a refused Save lifted the block";

    // In a double-byte code page 128 characters take 256 bytes; at the edges, values are saved.
    FakeDbcsCodec dbcs;
    Rig wide;
    wide.codec = &dbcs;
    Main_form& saving = wide.Loaded();
    EXPECT_EQ(saving.SaveFromSettingsWindow({L"", std::wstring(128, L'\x18141'), L"", L"1"}), SaveOutcome::Refused);
    for (const SettingsBoxes& kept : {SettingsBoxes{L"'", std::wstring(127, L'\x18141'), L"'DL\"", L" 2400\t"},
                                      SettingsBoxes{std::wstring(254, L'e'), L"p w", L"\"", L"2400"}}) {
        EXPECT_EQ(saving.SaveFromSettingsWindow(kept), SaveOutcome::Saved);
        EXPECT_EQ(wide.profile.values["Credentials/password"], dbcs.ToAnsi(kept.password));
    }
}

TEST_F(SettingsSaveTest, APortTextWithBlanksBindsTheNumberAndIsKeptAsTyped) {
    SettingsBoxes b = Same();
    b.HostPortNumber = L" 02400 ";
    EXPECT_EQ(form->SaveFromSettingsWindow(b), SaveOutcome::Saved);
    EXPECT_EQ(*rig.socket.bound, 2400);
    EXPECT_EQ(form->CurrentSettings().HostPortNumber, L" 02400 ");
    EXPECT_EQ(rig.profile.values["GatewayUDPsettings/HostPortNumber"], " 02400 ");
}
}  // namespace
