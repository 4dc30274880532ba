#include "gateway_test.h"

namespace e2e {
namespace {

using Hostile = GatewayTest;

std::string AdifOf(const RecordedRequest& req) {
    return FindField(DecodeForm(req.body), "adif").value_or(FormField{"", "", "<no adif field>"}).decoded;
}

// Deterministic noise, so a failure can be replayed.
std::string RandomBytes(std::uint32_t& seed, size_t size) {
    std::string bytes(size, '\0');
    for (auto& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

TEST_F(Hostile, EmptyAndBinaryDatagramsArePostedExactlyAsReceived) {
    StartGatewayWithPort(42091);
    ASSERT_FALSE(HasFatalFailure());
    std::vector<std::string> sent{std::string()};
    std::uint32_t seed = 20261207;
    for (int i = 0; i < 60; ++i) sent.push_back(RandomBytes(seed, 1 + (seed >> 8) % 1500));
    for (const auto& d : sent) {
        Send(d);
        // One at a time, so the order is the sender's and nothing waits long in the socket.
        ASSERT_TRUE(service_.WaitForRequests(&d - &sent[0] + 1, kReplyTimeoutMs)) << "datagram " << (&d - &sent[0]);
    }
    const auto requests = service_.Requests();
    ASSERT_EQ(requests.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(AdifOf(requests[i]), sent[i]) << "datagram " << i;
    EXPECT_TRUE(gateway_.IsRunning());
    EXPECT_FALSE(gateway_.HasBox());
}

TEST_F(Hostile, ARedirectIsNeverFollowed) {
    // The stand-in writes the content type as a header line; a second line rides along.
    service_.Enqueue(ScriptedReply::Status(307, "moved", "text/plain\r\nLocation: http://localhost:47080/realtime.php"));
    service_.Enqueue(ScriptedReply::Status(302, "moved", "text/plain\r\nLocation: https://127.0.0.1:47443/other.php"));
    StartGatewayWithPort(42092);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("OH2AA", 1));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    ExpectPanes(FromAnsi(Contact("OH2AA", 1) + "\r\n"), L"[307] moved\r\n");
    EXPECT_TRUE(NoMoreRequests(1)) << "the form was sent again after a redirect";
    Send(Contact("OH2BB", 2));
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    EXPECT_TRUE(NoMoreRequests(2)) << "the form was sent again after a redirect";
    EXPECT_EQ(service_.Requests()[1].path, "/realtime.php");
    EXPECT_FALSE(gateway_.HasBox());
}

}  // namespace
}  // namespace e2e
