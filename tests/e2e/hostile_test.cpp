#include <cstdio>
#include <cstdlib>

#include "gateway_test.h"
#include "harness/linux_view.h"

namespace e2e {
namespace {

using Hostile = GatewayTest;

std::string AdifOf(const RecordedRequest& req) { return FieldOf(req, "adif"); }

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

// 1,000 in every run, enough for a leak or a reordering to show; 5,000 in
// the long run (./scripts/test --long).
size_t SoakCount() {
    const char* longRun = std::getenv("VANTARY_E2E_LONG");
    return longRun && *longRun == '1' ? 5000 : 1000;
}

TEST_F(Hostile, ThousandsOfRandomDatagramsFromSeveralSendersLeaveTheFootprintFlat) {
    const size_t kCount = SoakCount();
    constexpr size_t kWindow = 25;  // in flight at once: well inside any socket buffer
    constexpr size_t kWarm = 250;   // what is opened once is open by then
    StartGatewayWithPort(42093);
    ASSERT_FALSE(HasFatalFailure());
    const unsigned long linuxPid = FindLinuxPid(folder_->dir());
    ASSERT_NE(linuxPid, 0u) << "the gateway's Linux process was not found";
    std::vector<UdpSender> senders(5);
    for (const auto& sender : senders) ASSERT_TRUE(sender.ok());

    std::uint32_t seed = 5000;
    std::vector<std::string> sent;
    LinuxSample warm;
    while (sent.size() < kCount) {
        for (size_t i = 0; i < kWindow && sent.size() < kCount; ++i) {
            sent.push_back(RandomBytes(seed, (seed >> 8) % 600));
            ASSERT_TRUE(senders[sent.size() % senders.size()].Send(port_, sent.back()));
        }
        ASSERT_TRUE(service_.WaitForRequests(sent.size(), 60000))
            << service_.RequestCount() << " of " << sent.size() << " datagrams reached the service";
        if (sent.size() == kWarm) warm = SampleLinux(linuxPid);
    }
    ASSERT_TRUE(WaitUntil([&] { return gateway_.Pane2().size() >= kCount * 28; }, 60000, 200));
    const LinuxSample end = SampleLinux(linuxPid);
    const std::uint64_t paneBytes = (gateway_.Pane1().size() + gateway_.Pane2().size()) * sizeof(wchar_t);

    const auto requests = service_.Requests();
    ASSERT_EQ(requests.size(), kCount);
    size_t wrong = 0;
    for (size_t i = 0; i < kCount; ++i)
        if (AdifOf(requests[i]) != sent[i] && ++wrong <= 5) ADD_FAILURE() << "datagram " << i << " posted changed";
    EXPECT_EQ(wrong, 0u);
    EXPECT_TRUE(gateway_.IsRunning());
    EXPECT_FALSE(gateway_.HasBox());

    ASSERT_TRUE(warm.ok && end.ok) << "no /proc view of the gateway";
    std::printf("after %zu and %zu records: descriptors %llu and %llu, threads %llu and %llu, "
                "private memory %llu and %llu KiB; pane text %llu bytes\n",
                kWarm, kCount, static_cast<unsigned long long>(warm.openFds),
                static_cast<unsigned long long>(end.openFds), static_cast<unsigned long long>(warm.threads),
                static_cast<unsigned long long>(end.threads), static_cast<unsigned long long>(warm.privateKiB),
                static_cast<unsigned long long>(end.privateKiB), static_cast<unsigned long long>(paneBytes));
    EXPECT_LE(end.openFds, warm.openFds) << "descriptors grew from " << warm.openFds << " to " << end.openFds;
    EXPECT_LE(end.threads, warm.threads + 2) << "threads grew from " << warm.threads << " to " << end.threads;
    // The panes' own text is the only growth allowed, with room for the edit
    // controls' bookkeeping.
    const std::uint64_t growth = end.privateKiB > warm.privateKiB ? (end.privateKiB - warm.privateKiB) * 1024 : 0;
    EXPECT_LE(growth, 3 * paneBytes + 16u * 1024 * 1024)
        << "private memory grew by " << growth << " bytes for " << paneBytes << " bytes of pane text";
}

}  // namespace
}  // namespace e2e
