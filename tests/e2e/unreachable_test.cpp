#include <regex>

#include "../../src/gateway/exchange_limits.h"
#include "gateway_test.h"
#include "harness/trust_store.h"

namespace e2e {
namespace {

using Unreachable = GatewayTest;

// Takes the test CA out of the prefix's trust for one test, and always puts
// it back, so the tests after this one still reach the stand-in.
class DistrustedCa {
public:
    explicit DistrustedCa(std::wstring path) : path_(std::move(path)) {
        removed_ = RemoveRootCertificate(path_, &error_);
    }
    ~DistrustedCa() {
        if (removed_) {
            std::wstring error;
            if (!AddRootCertificate(path_, &error)) ADD_FAILURE() << "could not trust the CA again: " << Narrow(error);
        }
    }
    bool removed() const { return removed_; }
    const std::wstring& error() const { return error_; }

private:
    std::wstring path_;
    std::wstring error_;
    bool removed_ = false;
};

// "Error -2147012xxx" and the fixed lines: the number is HRESULT_FROM_WIN32
// of a WinHTTP error (12000-12999), so it starts with -2147012 or -2147013.
void ExpectNoConnectionText(const std::wstring& text) {
    const std::string s = Narrow(text);
    const std::string tail = Narrow(kMsgNoConnectionTail);
    EXPECT_TRUE(std::regex_match(s, std::regex("Error -21470(1[2-9]|2[0-9])[0-9]{3}" + std::regex_replace(
        tail, std::regex(R"([.\\^$|()\[\]{}*+?])"), R"(\$&)"))))
        << "got: " << s;
}

TEST_F(Unreachable, ResetConnectionShowsErrorAndLeavesPanes) {
    service_.Enqueue(ScriptedReply::ResetOnAccept());
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    StartGatewayWithPort(42041);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("UA3AA"));
    auto box = gateway_.WaitForBox(kReplyTimeoutMs + 30000);
    ASSERT_TRUE(box) << "no error message";
    ExpectNoConnectionText(box->text);
    EXPECT_TRUE(box->topmost);
    EXPECT_EQ(ToString(box->icon), std::string("critical"));
    EXPECT_TRUE(box->hasOk && box->buttonCount == 1);
    EXPECT_EQ(service_.RequestCount(), 0u);
    AnswerAndWait(*box, IDOK);
    EXPECT_EQ(gateway_.Pane1(), L"");
    EXPECT_EQ(gateway_.Pane2(), L"");
    EXPECT_TRUE(NoMoreRequests(0)) << "a failed request was retried";

    // The failure leaves nothing behind: the next record goes through.
    const std::string next = Contact("UA3AA", 2);
    Send(next);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    ExpectPanes(FromAnsi(next) + L"\r\n", L"[200] logged\r\n");
}

TEST_F(Unreachable, UntrustedCertificateShowsErrorAndSendsNoForm) {
    const std::wstring ca = TestCaPath();
    ASSERT_FALSE(ca.empty()) << "VANTARY_TLS_DIR is not set: the test CA's folder is needed";
    DistrustedCa distrust(ca);
    ASSERT_TRUE(distrust.removed()) << Narrow(distrust.error());
    StartGatewayWithPort(42042);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("OH2AA"));
    auto box = gateway_.WaitForBox(kReplyTimeoutMs + 30000);
    ASSERT_TRUE(box) << "no error message; requests received: " << service_.RequestCount() << "; pane 2: "
                     << Narrow(gateway_.Pane2());
    ExpectNoConnectionText(box->text);
    EXPECT_EQ(ToString(box->icon), std::string("critical"));
    EXPECT_EQ(service_.RequestCount(), 0u) << "the form reached the service over an untrusted channel";
    AnswerAndWait(*box, IDOK);
    EXPECT_EQ(gateway_.Pane1(), L"");
    EXPECT_EQ(gateway_.Pane2(), L"");
}

TEST_F(Unreachable, HangingServiceTimesOutWithError) {
    service_.Enqueue(ScriptedReply::Hang());
    StartGatewayWithPort(42044);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("SM5AA"));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    // The wait for the reply's headers has a time-out of its own, shorter than the deadline.
    auto box = gateway_.WaitForBox(kExchangeLimits.deadlineMs);
    ASSERT_TRUE(box) << "no error message by the deadline; pane 2: " << Narrow(gateway_.Pane2());
    EXPECT_EQ(Narrow(box->text), Narrow(L"Error -2147012894" + kMsgNoConnectionTail)) << "want the time-out error";
    AnswerAndWait(*box, IDOK);
    EXPECT_EQ(gateway_.Pane1(), L"");
    EXPECT_EQ(gateway_.Pane2(), L"");
}

// Ended from the service's side, so that what happens meanwhile can be watched.
TEST_F(Unreachable, HangingServiceHoldsNextRecordUntilItFails) {
    service_.Enqueue(ScriptedReply::Hang());
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    StartGatewayWithPort(42043);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("SM5AA", 1));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    const std::string second = Contact("SM5AA", 2);
    Send(second);
    EXPECT_TRUE(NoMoreRequests(1)) << "a record was posted while the first request hung";
    EXPECT_FALSE(gateway_.HasBox());
    EXPECT_EQ(gateway_.Pane1(), L"") << "the record was shown before its reply";
    service_.ResetHanging();
    auto box = gateway_.WaitForBox(kReplyTimeoutMs);
    ASSERT_TRUE(box) << "no error message after the connection was reset; pane 2: " << Narrow(gateway_.Pane2());
    ExpectNoConnectionText(box->text);
    EXPECT_EQ(service_.RequestCount(), 1u) << "the waiting record went out inside the error message";
    AnswerAndWait(*box, IDOK);
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "the waiting record was lost";
    ExpectPanes(FromAnsi(second) + L"\r\n", L"[200] logged\r\n");
}

}  // namespace
}  // namespace e2e
