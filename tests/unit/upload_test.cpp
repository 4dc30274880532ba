#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/messages.h"

namespace {
using Calls = std::vector<std::string>;
const std::string kRecord = "<call:5>DL1AB <band:3>20m <eor>";

class UploadTest : public ::testing::Test {
protected:
    Rig rig;
    Main_form* form = nullptr;
    void SetUp() override {
        form = &rig.LoadedWith("op@example.org", "p&ss=1", "DL1ABC");
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(rig.log.calls.begin(), rig.log.calls.end(), call));
    }
};

TEST_F(UploadTest, A200ReplyAppendsRecordAndReply) {
    rig.http.replies = {FakeHttp::Reply(200, "OK 1 QSO")};
    rig.Arrive(kRecord + "\r\n  ");
    ASSERT_EQ(rig.http.bodies.size(), 1u);
    EXPECT_EQ(rig.http.bodies[0],
              "email=op%40example%2Eorg&password=p%26ss%3D1&callsign=DL1ABC"
              "&adif=%3Ccall%3A5%3EDL1AB%20%3Cband%3A3%3E20m%20%3Ceor%3E%0D%0A%20%20"
              "&api=5c1e7a93d04b28f6e9a3c17b5d82f40e6a9b3d71");
    EXPECT_EQ(rig.view.text1, L"<call:5>DL1AB <band:3>20m <eor>\r\n  \r\n");
    EXPECT_EQ(rig.view.text2, L"[200] OK 1 QSO\r\n");
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.socket.readChecks, 1);
}

TEST_F(UploadTest, OtherStatusesAreShownWithoutAMessage) {
    rig.http.replies = {FakeHttp::Reply(400, "bad"), FakeHttp::Reply(404, ""), FakeHttp::Reply(502, "gw")};
    for (int i = 0; i < 3; ++i) rig.Arrive(kRecord);
    EXPECT_EQ(rig.view.text2, L"[400] bad\r\n[404] \r\n[502] gw\r\n");
    EXPECT_TRUE(rig.boxes.shown.empty());
    rig.Arrive(kRecord);
    EXPECT_EQ(rig.http.bodies.size(), 4u) << "no status but 403 blocks";
}

TEST_F(UploadTest, EmptyCredentialsAreSentAsEmptyFields) {
    rig.profile.exists = false;
    form = &rig.Loaded();
    rig.Arrive("x");
    EXPECT_EQ(rig.http.bodies[0], "email=&password=&callsign=&adif=x&api=5c1e7a93d04b28f6e9a3c17b5d82f40e6a9b3d71");
}

TEST_F(UploadTest, A403BlocksAndTheNextRecordIsNotSent) {
    rig.http.replies = {FakeHttp::Reply(403, "login")};
    rig.Arrive(kRecord);
    EXPECT_EQ(rig.log.calls, (Calls{"sock.Read", "http.Post", "view.Text1", "view.Text2",
                                    "box Forbidden error 403. Login rejected", "settings.Show", "settings.Normal"}));
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1010u);
    rig.log.calls.clear();
    rig.Arrive("second");
    // The window the rejection opened comes to the front, the edits in it kept.
    EXPECT_EQ(rig.log.calls, (Calls{"sock.Read", "box Upload is blocked.", "settings.Front", "settings.Normal"}));
    EXPECT_EQ(rig.boxes.shown[1].text, L"Upload is blocked.\r\nCheck your Vantary credentials!");
    EXPECT_EQ(rig.boxes.shown[1].style, 0x1010u);
    EXPECT_EQ(rig.http.bodies.size(), 1u);
}

TEST_F(UploadTest, FiveServerErrorsWithYesEndInMaxTrials) {
    for (int i = 0; i < 6; ++i) rig.http.replies.push_back(FakeHttp::Reply(500, "err"));
    rig.boxes.answers = {6, 6, 6, 6, 6};
    rig.Arrive(kRecord);
    EXPECT_EQ(rig.http.bodies.size(), 5u);
    EXPECT_EQ(Count("view.Text1"), 5);
    EXPECT_EQ(Count("box Vantary internal server error 500."), 5);
    ASSERT_EQ(rig.boxes.shown.size(), 6u);
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1134u);
    EXPECT_EQ(rig.boxes.shown[0].text,
              L"Vantary internal server error 500.\r\nUpload temporarily not possible.\r\n\r\n"
              L"QSO was not logged.\r\nDo you want to try again?");
    EXPECT_EQ(rig.boxes.shown[5].text,
              L"Max upload trials exceeded.\r\nUpload log manually when Vantary is back in service.");
    EXPECT_EQ(rig.boxes.shown[5].style, 0x1040u);
    EXPECT_EQ(rig.TrialsSoFar(), 0);
}

TEST_F(UploadTest, AServerErrorThenSuccessKeepsTheCount) {
    rig.http.replies = {FakeHttp::Reply(500, "err"), FakeHttp::Reply(200, "ok")};
    rig.boxes.answers = {6};
    rig.Arrive(kRecord);
    EXPECT_EQ(rig.view.text2, L"[500] err\r\n[200] ok\r\n");
    EXPECT_EQ(rig.boxes.shown.size(), 1u);

    // The count carries over and shortens the next record's series.
    for (int i = 0; i < 4; ++i) rig.http.replies.push_back(FakeHttp::Reply(500, "err"));
    rig.boxes.answers = {6, 6, 6, 6};
    rig.Arrive("next");
    EXPECT_EQ(rig.http.bodies.size(), 2u + 4u);
    EXPECT_EQ(rig.boxes.shown.back().text.rfind(L"Max upload trials exceeded.", 0), 0u);
    EXPECT_EQ(rig.TrialsSoFar(), 0);
}

TEST_F(UploadTest, AServerErrorAnsweredNoAdvisesAManualUpload) {
    rig.http.replies = {FakeHttp::Reply(500, "err")};
    rig.boxes.answers = {7};
    rig.Arrive(kRecord);
    ASSERT_EQ(rig.boxes.shown.size(), 2u);
    EXPECT_EQ(rig.boxes.shown[1].text, L"Upload log manually when Vantary is back in service.");
    EXPECT_EQ(rig.boxes.shown[1].style, 0x1040u);
    EXPECT_EQ(rig.http.bodies.size(), 1u);
    EXPECT_EQ(rig.TrialsSoFar(), 0);
}

TEST_F(UploadTest, AFailedRequestChangesNoPane) {
    rig.http.replies = {FakeHttp::Failure(static_cast<std::int32_t>(0x80072EFDu))};
    rig.Arrive(kRecord);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text,
              L"Error -2147012867\r\n\r\nNo connection to Vantary server.\r\nOr server might be down at the moment.");
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1010u);
    EXPECT_TRUE(rig.view.text1.empty());
    EXPECT_TRUE(rig.view.text2.empty());
    EXPECT_EQ(messages::NoConnection(6).substr(0, 8), L"Error  6");
}

TEST_F(UploadTest, DatagramsArrivingDuringABoxWaitForTheirTurn) {
    rig.http.replies = {FakeHttp::Reply(500, "err"), FakeHttp::Reply(200, "ok"), FakeHttp::Reply(200, "ok2")};
    rig.boxes.answers = {6};
    // While the question waits the box dispatches the readiness event of a new datagram.
    rig.boxes.whileWaiting = [&] {
        rig.boxes.whileWaiting = nullptr;
        rig.Arrive("later");
    };
    rig.Arrive("first");
    // The retry sent the first record again, not the one that came meanwhile.
    ASSERT_EQ(rig.http.bodies.size(), 2u);
    EXPECT_NE(rig.http.bodies[1].find("&adif=first&"), std::string::npos);
    EXPECT_EQ(rig.socket.waiting.size(), 1u);
    EXPECT_EQ(rig.socket.readChecks, 1);
    // The read check after the upload picks it up.
    form->Winsock1_DataArrival();
    ASSERT_EQ(rig.http.bodies.size(), 3u);
    EXPECT_NE(rig.http.bodies[2].find("&adif=later&"), std::string::npos);
    EXPECT_EQ(rig.view.text1, L"first\r\nfirst\r\nlater\r\n");
}

TEST_F(UploadTest, TwoDatagramsInQuickSuccessionAreTwoUploadsInOrder) {
    rig.socket.waiting = {"one", "two"};
    form->Winsock1_DataArrival();
    form->Winsock1_DataArrival();
    EXPECT_EQ(rig.view.text1, L"one\r\ntwo\r\n");
}

TEST_F(UploadTest, TheRecordsBytesReachTheFormUnchangedInADoubleByteCodePage) {
    FakeDbcsCodec dbcs;
    rig.codec = &dbcs;
    rig.Loaded();
    // UTF-8 "é" is C3 A9: a lead byte and a trail byte in the double-byte code page;
    // E9 alone is no valid pair there and would not survive a text round trip.
    rig.Arrive("a\xC3\xA9z\xE9");
    EXPECT_NE(rig.http.bodies[0].find("&adif=a%C3%A9z%E9&"), std::string::npos);
    EXPECT_EQ(rig.view.text1.size(), 4u + 2u);
}

TEST_F(UploadTest, NulBytesAndLongRecordsAreSentWhole) {
    std::string record(65000, 'Q');
    record[10] = '\0';
    rig.Arrive(record);
    const std::string& body = rig.http.bodies[0];
    const auto adif = body.find("&adif=") + 6;
    const auto end = body.find("&api=");
    EXPECT_EQ(end - adif, 65000u - 1 + 3);
    EXPECT_EQ(body.substr(adif + 10, 3), "%00");
    EXPECT_EQ(rig.view.text1.size(), 65002u);
    // The pane would end the line at the NUL; it shows the NUL symbol instead.
    EXPECT_EQ(rig.view.text1[10], L'\x2400');
}

TEST_F(UploadTest, AnErrorNotificationReportsAndCloses) {
    form->Winsock1_Error(10054, L"Connection reset");
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, L"Error: Connection reset");
    EXPECT_EQ(rig.boxes.shown[0].style, 0x1000u);
    EXPECT_FALSE(rig.socket.bound);
    rig.Arrive("lost");
    EXPECT_TRUE(rig.http.bodies.empty());
}
}  // namespace
