#include "gateway_test.h"

namespace e2e {
namespace {

using Datagrams = GatewayTest;

std::string AdifOf(const RecordedRequest& req) {
    return FindField(DecodeForm(req.body), "adif").value_or(FormField{"", "", "<no adif field>"}).decoded;
}

// A record of exactly that many bytes, printable, ending in <eor>.
std::string LongRecord(size_t size) {
    std::string r = "<comment:" + std::to_string(size) + ">";
    while (r.size() + 6 < size) r.push_back(static_cast<char>('a' + r.size() % 26));
    r += " <eor>";
    return r.substr(r.size() - size);
}

TEST_F(Datagrams, TwoInQuickSuccessionArePostedInOrder) {
    service_.SetDefaultReply(ScriptedReply::Delayed(300, ScriptedReply::Status(200, "ok")));
    StartGatewayWithPort(42051);
    ASSERT_FALSE(HasFatalFailure());
    const std::string a = Contact("AA1AA", 1), b = Contact("BB2BB", 2);
    Send(a);
    Send(b);
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "got " << service_.RequestCount();
    EXPECT_TRUE(NoMoreRequests(2));
    const auto requests = service_.Requests();
    EXPECT_EQ(AdifOf(requests[0]), a);
    EXPECT_EQ(AdifOf(requests[1]), b);
    ExpectPanes(FromAnsi(a + "\r\n" + b + "\r\n"), L"[200] ok\r\n[200] ok\r\n");
}

TEST_F(Datagrams, BurstOfTwentyKeepsEveryRecordInOrder) {
    service_.SetDefaultReply(ScriptedReply::Delayed(100, ScriptedReply::Status(200, "ok")));
    StartGatewayWithPort(42052);
    ASSERT_FALSE(HasFatalFailure());
    std::vector<std::string> sent;
    for (int i = 0; i < 20; ++i) {
        std::string call = "N";
        call += std::to_string(i);
        call += "XX";
        sent.push_back(Contact(call, i));
        Send(sent.back());
    }
    ASSERT_TRUE(service_.WaitForRequests(20, 60000)) << "got " << service_.RequestCount();
    const auto requests = service_.Requests();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(AdifOf(requests[i]), sent[i]) << "request " << i;
}

TEST_F(Datagrams, DatagramDuringServerErrorQuestionWaitsAndKeepsItsOwnSeries) {
    service_.Enqueue(ScriptedReply::Status(500, "busy"));
    service_.Enqueue(ScriptedReply::Status(200, "first retried"));
    service_.Enqueue(ScriptedReply::Status(500, "busy again"));
    service_.Enqueue(ScriptedReply::Status(200, "second retried"));
    StartGatewayWithPort(42053);
    ASSERT_FALSE(HasFatalFailure());
    const std::string a = Contact("AA1AA", 1), b = Contact("BB2BB", 2);
    Send(a);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    MessageBoxView question = ExpectBox(kMsgServerError, BoxIcon::Warning, true);
    ASSERT_FALSE(HasFatalFailure());

    Send(b);
    EXPECT_TRUE(NoMoreRequests(1)) << "the record sent during the question was posted before the answer";
    EXPECT_EQ(FindProcessWindow(gateway_.pid(), L"#32770", kMessageBoxCaption, false), question.box)
        << "another box came up while the question waited";
    AnswerAndWait(question, IDYES);

    // The retry is the first record's, not the one that came in meanwhile.
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    EXPECT_EQ(AdifOf(service_.Requests()[1]), a) << "the retry sent the newer record";
    // Then the waiting record gets its own upload and its own question.
    ASSERT_TRUE(service_.WaitForRequests(3, kReplyTimeoutMs)) << "the waiting record was lost";
    EXPECT_EQ(AdifOf(service_.Requests()[2]), b);
    MessageBoxView second = ExpectBox(kMsgServerError, BoxIcon::Warning, true);
    AnswerAndWait(second, IDYES);
    ASSERT_TRUE(service_.WaitForRequests(4, kReplyTimeoutMs));
    EXPECT_EQ(AdifOf(service_.Requests()[3]), b);
    ExpectPanes(FromAnsi(a + "\r\n" + a + "\r\n" + b + "\r\n" + b + "\r\n"),
                L"[500] busy\r\n[200] first retried\r\n[500] busy again\r\n[200] second retried\r\n");
    EXPECT_TRUE(NoBoxAppears());
}

TEST_F(Datagrams, DatagramDuringLoginRejectionMessageIsHandledAfterIt) {
    service_.Enqueue(ScriptedReply::Status(403, "denied"));
    StartGatewayWithPort(42054);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("AA1AA", 1));
    MessageBoxView forbidden = ExpectBox(kMsgForbidden, BoxIcon::Critical, false);
    Send(Contact("BB2BB", 2));
    EXPECT_TRUE(StaysFalse([&] {
        HWND b = FindProcessWindow(gateway_.pid(), L"#32770", kMessageBoxCaption, false);
        return b && b != forbidden.box;
    }, kQuietPeriodMs)) << "the second record was handled inside the first one's message";
    AnswerAndWait(forbidden, IDOK);
    // After the rejection the waiting record finds the uploads blocked.
    ExpectBox(kMsgBlocked, BoxIcon::Critical, false);
    EXPECT_EQ(service_.RequestCount(), 1u);
}

TEST_F(Datagrams, LineEndsAndTrailingBlanksAreKept) {
    StartGatewayWithPort(42055);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = "  <call:5>G3ABC\r\n<band:3>40m \t <eor>  \r\n";
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    const auto adif = FindField(DecodeForm(service_.Requests()[0].body), "adif");
    ASSERT_TRUE(adif);
    EXPECT_EQ(adif->decoded, record);
    EXPECT_EQ(adif->raw, "%20%20%3Ccall%3A5%3EG3ABC%0D%0A%3Cband%3A3%3E40m%20%09%20%3Ceor%3E%20%20%0D%0A");
    ExpectPanes(FromAnsi(record) + L"\r\n", L"[200] OK: stand-in default\r\n");
}

TEST_F(Datagrams, LargeRecordIsPostedWhole) {
    StartGatewayWithPort(42056);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = LongRecord(65000);
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, 30000)) << "a 65,000-byte record was not posted"
                                                  << (gateway_.HasBox() ? ": a message box shows" : "");
    EXPECT_EQ(AdifOf(service_.Requests()[0]), record);
    ASSERT_TRUE(WaitUntil([&] { return gateway_.Pane2() == L"[200] OK: stand-in default\r\n"; }, kReplyTimeoutMs));
    EXPECT_EQ(gateway_.Pane1(), FromAnsi(record) + L"\r\n") << "pane 1 does not hold the whole record";
}

TEST_F(Datagrams, LargestUdpPayloadIsPostedWhole) {
    StartGatewayWithPort(42057);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = LongRecord(65507);
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, 30000)) << "a 65,507-byte record was not posted";
    EXPECT_EQ(AdifOf(service_.Requests()[0]).size(), record.size());
    EXPECT_EQ(AdifOf(service_.Requests()[0]), record);
}

TEST_F(Datagrams, NulBytesAreKept) {
    StartGatewayWithPort(42058);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record("<call:4>K1AB\0<eor>\0", 19);
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    const auto adif = FindField(DecodeForm(service_.Requests()[0].body), "adif");
    ASSERT_TRUE(adif);
    EXPECT_EQ(adif->raw, "%3Ccall%3A4%3EK1AB%00%3Ceor%3E%00");
}

TEST_F(Datagrams, HighBytesTravelAsSingleByteEscapes) {
    StartGatewayWithPort(42059);
    ASSERT_FALSE(HasFatalFailure());
    // The same bytes as the datagram must reach the service, whatever the
    // code page of the machine.
    const std::string record = "<name:4>Jos\xE9 <eor>";
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    EXPECT_EQ(AdifOf(service_.Requests()[0]), record);
}

TEST_F(Datagrams, TextThatIsNoAdifIsPostedUnchanged) {
    StartGatewayWithPort(42060);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = "hello, gateway & friends = 100%";
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    EXPECT_EQ(AdifOf(service_.Requests()[0]), record);
    EXPECT_EQ(FindField(DecodeForm(service_.Requests()[0].body), "adif")->raw,
              "hello%2C%20gateway%20%26%20friends%20%3D%20100%25");
}

}  // namespace
}  // namespace e2e
