// The upload while its exchange waits: what may run meanwhile, what the
// program does when it ends meanwhile, and replies kept in proportion.
#include <gtest/gtest.h>

#include <new>

#include "fakes.h"
#include "gateway/reply_cap.h"

namespace {
using Calls = std::vector<std::string>;
const std::wstring kTimedOutMessage =
    L"Error -2147012894\r\n\r\nNo connection to Vantary server.\r\nOr server might be down at the moment.";

HttpReply Capped(long status, const std::string& kept, std::uint64_t more, bool cutShort = false) {
    HttpReply reply = FakeHttp::Reply(status, kept);
    reply.bytesNotKept = more;
    reply.cutShort = cutShort;
    return reply;
}

// Reads fail for want of memory once the reply is in.
class StarvedCodec : public Latin1Codec {
public:
    std::wstring FromAnsi(std::string_view bytes) const override {
        if (starved) throw std::bad_alloc();
        return Latin1Codec::FromAnsi(bytes);
    }
    bool starved = false;
};

class Exchange : public ::testing::Test {
protected:
    Rig rig;
    Main_form* form = nullptr;
    void SetUp() override { form = &rig.Loaded(); }
};

TEST_F(Exchange, NothingTheOperatorStartsRunsWhileTheReplyIsAwaited) {
    form->settingsCommand_Click();
    bool inputWhileWaiting = true;
    Calls during;
    rig.http.whileWaiting = [&] {
        rig.http.whileWaiting = nullptr;
        inputWhileWaiting = rig.settings.inputEnabled;
        const size_t before = rig.log.calls.size();
        for (UiCommand c : {UiCommand::ShowSettings, UiCommand::HideToTray, UiCommand::MenuShowMonitor,
                            UiCommand::MenuExit, UiCommand::SettingsSave, UiCommand::SettingsCancel})
            form->OnCommand(c);
        form->OnCloseRequest(CloseSource::MonitorFrame);
        form->OnTrayNotification(0x0202);
        rig.Arrive("second");  // waits in the socket for its turn
        during.assign(rig.log.calls.begin() + static_cast<long>(before), rig.log.calls.end());
    };
    rig.Arrive("first");
    EXPECT_FALSE(inputWhileWaiting);
    EXPECT_TRUE(during.empty()) << "ran during the wait: " << ::testing::PrintToString(during);
    EXPECT_TRUE(rig.settings.inputEnabled);
    EXPECT_TRUE(form->Running());
    ASSERT_EQ(rig.socket.waiting.size(), 1u);
    form->Winsock1_DataArrival();
    EXPECT_EQ(rig.view.text1, L"first\r\nsecond\r\n");
}

TEST_F(Exchange, ALogOffDuringTheWaitSavesEndsAndDropsTheLateReply) {
    for (const HttpReply& late : {FakeHttp::Reply(500, "late"), HttpReply{}}) {
        Rig r;
        Main_form& f = r.Loaded();
        r.http.replies = {late};
        r.http.whileWaiting = [&] {
            r.log.calls.clear();
            f.OnEndSession();
        };
        r.boxes.answers = {mb::kAnswerYes};
        r.Arrive("<eor>");
        EXPECT_TRUE(f.Ended());
        EXPECT_EQ(r.profile.writes.size(), 6u);
        EXPECT_EQ(r.log.calls.back(), "view.Destroy") << "something ran after the shut-down";
        EXPECT_TRUE(r.boxes.shown.empty()) << Narrow(r.boxes.shown[0].text);
        EXPECT_EQ(r.http.bodies.size(), 1u) << "the record was tried again";
        EXPECT_TRUE(r.view.text1.empty());
        EXPECT_TRUE(r.view.text2.empty());
        EXPECT_EQ(r.socket.readChecks, 0);
    }
}

TEST_F(Exchange, AWaitAbandonedForAnyOtherEndShowsNothingAndKeepsTheCount) {
    HttpReply abandoned;
    abandoned.abandoned = true;
    rig.http.replies = {FakeHttp::Reply(500, "err"), abandoned};
    rig.boxes.answers = {mb::kAnswerYes};
    rig.Arrive("<eor>");
    EXPECT_EQ(rig.http.bodies.size(), 2u);
    EXPECT_EQ(rig.boxes.shown.size(), 1u) << "a box followed the abandoned retry";
    EXPECT_EQ(rig.view.text2, L"[500] err\r\n");
    EXPECT_EQ(rig.TrialsSoFar(), 1);
}

TEST_F(Exchange, ATimeOutBeforeTheStatusLineIsReportedAndACutShortReplyIsHandledByItsStatus) {
    rig.http.replies = {FakeHttp::Failure(kExchangeTimedOut), Capped(200, "head", 70000, true),
                        Capped(500, "", 0, true), Capped(403, "den", 0, true)};
    rig.boxes.answers = {mb::kAnswerNo};
    rig.Arrive("one");
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, kTimedOutMessage);
    EXPECT_TRUE(rig.view.text2.empty());
    for (const char* record : {"two", "three", "four"}) rig.Arrive(record);
    EXPECT_EQ(rig.view.text1, L"two\r\nthree\r\nfour\r\n");
    EXPECT_EQ(rig.view.text2, L"[200] head \u2026 (70,000 more bytes not shown; the reply was cut short)\r\n"
                              L"[500] \u2026 (the reply was cut short)\r\n[403] den \u2026 (the reply was cut short)\r\n");
    ASSERT_EQ(rig.boxes.shown.size(), 4u) << "a cut-short reply became an error, or lost its status's box";
    EXPECT_EQ(rig.boxes.shown[1].text.rfind(L"Vantary internal server error 500.", 0), 0u);
    EXPECT_EQ(rig.boxes.shown[3].text.rfind(L"Forbidden error 403.", 0), 0u);
}

TEST_F(Exchange, ABigReplyShowsItsKeptPartAndTheMarkerAndTheNextRecordGoesOut) {
    const std::string kept(kKeptReplyBytes, 'p');
    rig.http.replies = {Capped(200, kept, 10'000'000 - kKeptReplyBytes), FakeHttp::Reply(200, "logged")};
    rig.socket.waiting = {"big"};
    form->Winsock1_DataArrival();
    rig.Arrive("next");
    EXPECT_EQ(rig.http.bodies.size(), 2u);
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.view.text2, L"[200] " + std::wstring(kKeptReplyBytes, L'p') +
                                  L" \u2026 (9,934,464 more bytes not shown)\r\n[200] logged\r\n");
}

TEST_F(Exchange, RunningOutOfMemoryOnceTheServiceAnsweredIsNoConnectionError) {
    StarvedCodec starved;
    rig.codec = &starved;
    Main_form& f = rig.Loaded();
    rig.http.replies = {FakeHttp::Reply(500, "caf\xE9")};
    rig.http.whileWaiting = [&] { starved.starved = true; };
    rig.boxes.answers = {mb::kAnswerNo};
    rig.Arrive("<eor>");
    starved.starved = false;
    EXPECT_EQ(rig.view.text1, L"<eor>\r\n");
    EXPECT_EQ(rig.view.text2, L"[500] (the reply could not be shown: out of memory)\r\n");
    ASSERT_EQ(rig.boxes.shown.size(), 2u) << "the server error's question still comes";
    EXPECT_EQ(rig.boxes.shown[0].text.rfind(L"Vantary internal server error 500.", 0), 0u);
    EXPECT_TRUE(f.Running());
}
}  // namespace
