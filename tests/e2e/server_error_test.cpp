#include "gateway_test.h"

namespace e2e {
namespace {

using ServerError = GatewayTest;

std::wstring Repeat(const std::wstring& line, int times) {
    std::wstring s;
    for (int i = 0; i < times; ++i) s += line;
    return s;
}

TEST_F(ServerError, FiveYesAnswersGiveFiveRequestsThenMaxTrials) {
    service_.SetDefaultReply(ScriptedReply::Status(500, "Database down"));
    StartGatewayWithPort(42031);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = Contact("VK2ABC");
    Send(record);
    for (int attempt = 1; attempt <= 5; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        ASSERT_TRUE(service_.WaitForRequests(attempt, kReplyTimeoutMs)) << "attempt not posted";
        MessageBoxView question = ExpectBox(kMsgServerError, BoxIcon::Warning, true);
        ASSERT_FALSE(HasFailure());
        // Each attempt shows its record and reply before the question.
        EXPECT_EQ(Narrow(gateway_.Pane1()), Narrow(Repeat(FromAnsi(record) + L"\r\n", attempt)));
        EXPECT_EQ(Narrow(gateway_.Pane2()), Narrow(Repeat(L"[500] Database down\r\n", attempt)));
        AnswerAndWait(question, IDYES);
    }
    MessageBoxView last = ExpectBox(kMsgMaxTrials, BoxIcon::Information, false);
    EXPECT_EQ(service_.RequestCount(), 5u) << "a sixth attempt was made";
    AnswerAndWait(last, IDOK);
    EXPECT_TRUE(NoMoreRequests(5));
    for (const auto& req : service_.Requests())
        EXPECT_EQ(FindField(DecodeForm(req.body), "adif").value_or(FormField{}).decoded, record);

    // The count went back to 0: a new record gets a full series again, so
    // its first Yes must bring a second attempt.
    Send(Contact("VK2ABC", 2));
    ASSERT_TRUE(service_.WaitForRequests(6, kReplyTimeoutMs));
    MessageBoxView again = ExpectBox(kMsgServerError, BoxIcon::Warning, true);
    AnswerAndWait(again, IDYES);
    EXPECT_TRUE(service_.WaitForRequests(7, kReplyTimeoutMs)) << "the count was not reset after the fifth Yes";
}

TEST_F(ServerError, RetryThatSucceedsEndsQuietly) {
    service_.Enqueue(ScriptedReply::Status(500, "busy"));
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    StartGatewayWithPort(42032);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = Contact("ZL1AA");
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    MessageBoxView question = ExpectBox(kMsgServerError, BoxIcon::Warning, true);
    AnswerAndWait(question, IDYES);
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "Yes did not retry";
    const std::wstring line = FromAnsi(record) + L"\r\n";
    ExpectPanes(line + line, L"[500] busy\r\n[200] logged\r\n");
    EXPECT_TRUE(NoBoxAppears());
    EXPECT_EQ(service_.Requests()[1].body, service_.Requests()[0].body) << "the retry sent a different form";
}

TEST_F(ServerError, CountCarriesOverToTheNextRecord) {
    // One Yes on the first record leaves the count at 1, so the next record
    // that keeps failing gets four attempts, and its fourth Yes ends the series.
    service_.Enqueue(ScriptedReply::Status(500, "busy"));
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    service_.SetDefaultReply(ScriptedReply::Status(500, "busy"));
    StartGatewayWithPort(42033);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("PY2AA", 1));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    AnswerAndWait(ExpectBox(kMsgServerError, BoxIcon::Warning, true), IDYES);
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    EXPECT_TRUE(NoBoxAppears());

    Send(Contact("PY2AA", 2));
    for (int attempt = 1; attempt <= 4; ++attempt) {
        SCOPED_TRACE("second record, attempt " + std::to_string(attempt));
        ASSERT_TRUE(service_.WaitForRequests(2 + attempt, kReplyTimeoutMs));
        AnswerAndWait(ExpectBox(kMsgServerError, BoxIcon::Warning, true), IDYES);
        ASSERT_FALSE(HasFatalFailure());
    }
    AnswerAndWait(ExpectBox(kMsgMaxTrials, BoxIcon::Information, false), IDOK);
    EXPECT_EQ(service_.RequestCount(), 6u);
}

TEST_F(ServerError, AnsweredNoGivesManualUploadMessage) {
    service_.Enqueue(ScriptedReply::Status(500, "busy"));
    service_.Enqueue(ScriptedReply::Status(500, "busy"));
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    StartGatewayWithPort(42034);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = Contact("W1AW");
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    AnswerAndWait(ExpectBox(kMsgServerError, BoxIcon::Warning, true), IDNO);
    AnswerAndWait(ExpectBox(kMsgManualUpload, BoxIcon::Information, false), IDOK);
    EXPECT_TRUE(NoMoreRequests(1)) << "No still retried";
    ExpectPanes(FromAnsi(record) + L"\r\n", L"[500] busy\r\n");

    // The record after a No is posted normally, and a 500 for it asks again.
    Send(Contact("W1AW", 2));
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    AnswerAndWait(ExpectBox(kMsgServerError, BoxIcon::Warning, true), IDYES);
    EXPECT_TRUE(service_.WaitForRequests(3, kReplyTimeoutMs));
}

TEST_F(ServerError, OtherFiveHundredsAskNothing) {
    service_.Enqueue(ScriptedReply::Status(502, "bad gateway"));
    service_.Enqueue(ScriptedReply::Status(503, "unavailable"));
    StartGatewayWithPort(42035);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("F5AA", 1));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    Send(Contact("F5AA", 2));
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    ExpectPanes(FromAnsi(Contact("F5AA", 1) + "\r\n" + Contact("F5AA", 2) + "\r\n"),
                L"[502] bad gateway\r\n[503] unavailable\r\n");
    EXPECT_TRUE(NoBoxAppears());
}

}  // namespace
}  // namespace e2e
