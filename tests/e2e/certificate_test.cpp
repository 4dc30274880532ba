#include <cstdlib>
#include <regex>

#include "gateway_test.h"

namespace e2e {
namespace {

// Run through scripts/with-cert, which puts a bad certificate from the trusted
// test CA, or a server offering only TLS 1.0 and 1.1, in front of the stand-in
// and names it in VANTARY_E2E_TLS_CERT.
class Certificates : public GatewayTest {
protected:
    void ExpectRefused(const char* cert, std::uint16_t port) {
        const char* inFront = std::getenv("VANTARY_E2E_TLS_CERT");
        if (!inFront || std::string(inFront) != cert)
            GTEST_SKIP() << "needs scripts/with-cert " << cert << " (ctest runs it so)";
        StartGatewayWithPort(port);
        ASSERT_FALSE(HasFatalFailure());
        Send(Contact("OH2AA"));
        auto box = gateway_.WaitForBox(kReplyTimeoutMs + 30000);
        ASSERT_TRUE(box) << "no error message; requests received: " << service_.RequestCount();
        const std::string text = Narrow(box->text);
        EXPECT_TRUE(std::regex_search(text, std::regex("^Error -21470(1[2-9]|2[0-9])[0-9]{3}\r\n"))) << text;
        EXPECT_NE(text.find(Narrow(kMsgNoConnectionTail)), std::string::npos) << text;
        EXPECT_EQ(ToString(box->icon), std::string("critical"));
        EXPECT_EQ(service_.RequestCount(), 0u) << "the form went out over a certificate that must be refused";
        AnswerAndWait(*box, IDOK);
        EXPECT_EQ(gateway_.Pane1(), L"");
        EXPECT_EQ(gateway_.Pane2(), L"");
        EXPECT_TRUE(NoMoreRequests(0));
    }
};

TEST_F(Certificates, Expired) { ExpectRefused("expired", 42141); }

TEST_F(Certificates, ForAnotherHost) { ExpectRefused("otherhost", 42142); }

TEST_F(Certificates, OnlyTls10And11) { ExpectRefused("tls11", 42143); }

}  // namespace
}  // namespace e2e
