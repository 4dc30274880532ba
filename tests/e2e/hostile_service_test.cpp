#include <regex>

#include "../../src/gateway/exchange_limits.h"
#include "gateway_test.h"

namespace e2e {
namespace {

using HostileService = GatewayTest;

TEST_F(HostileService, TenMegabyteReplyShowsItsFirst64KiBAndTheNextRecordGoesThrough) {
    std::string page;
    for (int i = 0; page.size() < 10 * 1000 * 1000; ++i)
        page += "<p>line " + std::to_string(i) + " of a very long page the service sent back</p>\r\n";
    service_.Enqueue(ScriptedReply::Status(200, page, "text/html; charset=utf-8"));
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    StartGatewayWithPort(42131);
    ASSERT_FALSE(HasFatalFailure());
    const std::string first = Contact("PA3AA", 1);
    Send(first);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    const std::string more = std::to_string(page.size() - 65536);
    std::string grouped;
    for (size_t i = 0; i < more.size(); ++i) {
        if (i > 0 && (more.size() - i) % 3 == 0) grouped += ',';
        grouped += more[i];
    }
    const std::wstring want2 =
        L"[200] " + FromAnsi(page.substr(0, 65536)) + L" \u2026 (" + FromAnsi(grouped) + L" more bytes not shown)\r\n";
    ASSERT_TRUE(WaitUntil([&] { return gateway_.Pane2().size() >= want2.size(); }, 30000, 200))
        << "pane 2 holds " << gateway_.Pane2().size() << " of " << want2.size() << " characters";
    const std::wstring pane2 = gateway_.Pane2();
    // Compared by hand: a failed EXPECT_EQ would print 64 KiB.
    EXPECT_TRUE(pane2 == want2) << "pane 2 differs; sizes " << pane2.size() << " and " << want2.size()
                                << "; its end: " << Narrow(pane2.substr(pane2.size() > 80 ? pane2.size() - 80 : 0));
    EXPECT_EQ(Narrow(gateway_.Pane1()), first + "\r\n");
    EXPECT_FALSE(gateway_.HasBox());

    const std::string second = Contact("PA3AA", 2);
    Send(second);
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs)) << "the gateway stopped after the big reply";
    ASSERT_TRUE(WaitUntil([&] { return gateway_.Pane2().size() == want2.size() + 14; }, kReplyTimeoutMs));
    EXPECT_EQ(Narrow(gateway_.Pane2().substr(want2.size())), "[200] logged\r\n");
    EXPECT_EQ(Narrow(gateway_.Pane1()), first + "\r\n" + second + "\r\n");
}

TEST_F(HostileService, RepliesThatBreakOffAfterTheirStatusLineAreShownCutShortNotAsNoConnection) {
    service_.Enqueue(ScriptedReply::Trickle(200, std::string(600, 'x'), 1000));
    service_.Enqueue(ScriptedReply::BreakOff(200, "logged, but"));
    service_.Enqueue(ScriptedReply::Status(200, "logged"));
    StartGatewayWithPort(42132);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("SP2AA", 1));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    const ULONGLONG sent = GetTickCount64();
    // The service has the record: at the deadline what came, a byte a second, is shown.
    const std::uint32_t deadline = kExchangeLimits.deadlineMs;
    ASSERT_TRUE(WaitUntil([&] { return !gateway_.Pane2().empty() || gateway_.HasBox(); }, deadline + 40000, 200))
        << "nothing " << deadline / 1000 + 40 << " s after the request";
    EXPECT_GE(GetTickCount64() - sent, deadline * 5 / 6) << "the reply was given up early";
    const std::wstring trickled = gateway_.Pane2();
    const std::wstring bytes = std::to_wstring(deadline * 2 / 3000) + L"," + std::to_wstring(deadline / 1000 + 10);
    EXPECT_TRUE(std::regex_match(trickled, std::wregex(L"\\[200\\] x{" + bytes + L"} \u2026 \\(the reply was cut short\\)\r\n")))
        << Narrow(trickled);
    EXPECT_TRUE(WaitUntil([&] { return service_.AbandonedTrickles() == 1; }, 10000))
        << "the gateway did not drop the connection";

    for (int n : {2, 3}) {
        Send(Contact("SP2AA", n));
        ASSERT_TRUE(service_.WaitForRequests(n, kReplyTimeoutMs))
            << "record " << n << " not posted; connections " << service_.ConnectionCount() << ", pane 2: "
            << Narrow(gateway_.Pane2()) << (gateway_.HasBox() ? "; a box shows" : "");
    }
    std::wstring records;
    for (int n : {1, 2, 3}) records += FromAnsi(Contact("SP2AA", n)) + L"\r\n";
    ExpectPanes(records, trickled + L"[200] logged, but \u2026 (the reply was cut short)\r\n[200] logged\r\n");
    EXPECT_TRUE(NoBoxAppears()) << "a reply that came was reported as no connection";
    EXPECT_EQ(service_.RequestCount(), 3u) << "a record was sent again";
}

}  // namespace
}  // namespace e2e
