// Which senders the listener takes: every IPv4 one, and IPv6 only from near
// this computer. A refused datagram is told in the response pane, sparingly.
#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/sender_rule.h"

namespace {
SenderAddress Ipv6(std::array<std::uint8_t, 16> bytes, const wchar_t* text) {
    SenderAddress s;
    s.ipv6 = true;
    s.bytes = bytes;
    s.text = text;
    return s;
}

const SenderAddress kGlobal = Ipv6({0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}, L"2001:db8::5");

TEST(SenderRule, TakesIpv4AndNearbyIpv6AndAsksForThePrefixesOnlyWhenNothingElseDecides) {
    FakeNetworks networks;
    // This computer has 2001:db8:0:1::7/64, 2001:db8:77::/56 and a tunnel's /32.
    networks.prefixes = {{{0x20, 0x01, 0x0d, 0xb8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}, 64},
                         {{0x20, 0x01, 0x0d, 0xb8, 0, 0x77}, 56},
                         {{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 32}};
    const struct {
        SenderAddress from;
        bool taken;
    } cases[] = {
        {Ipv4Sender(203, 0, 113, 9), true},
        {Ipv6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 203, 0, 113, 9}, L"::ffff:203.0.113.9"), true},
        {Ipv6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, L"::1"), true},
        {Ipv6({0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0x02, 0x11, 0x22, 0xff, 0xfe, 0x33, 0x44, 0x55}, L"fe80::211:22ff:fe33:4455"),
         true},
        {Ipv6({0xfe, 0xbf, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, L"febf:ffff::1"), true},
        {Ipv6({0xfd, 0x12, 0x34, 0x56, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}, L"fd12:3456::9"), true},
        {Ipv6({0xfc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}, L"fc00::9"), true},
    };
    for (const auto& c : cases) EXPECT_EQ(SenderAllowed(c.from, networks), c.taken) << Narrow(c.from.text);
    EXPECT_EQ(networks.lookUps, 0) << "the LAN's senders cost a look-up each";

    const struct {
        SenderAddress from;
        bool taken;
    } askingCases[] = {
        {Ipv6({0x20, 0x01, 0x0d, 0xb8, 0, 1, 0, 0, 0xaa, 0, 0, 0, 0, 0, 0, 2}, L"2001:db8:0:1:aa00::2"), true},
        {Ipv6({0x20, 0x01, 0x0d, 0xb8, 0, 0x77, 0, 0xff, 0, 0, 0, 0, 0, 0, 0, 2}, L"2001:db8:77:ff::2"), true},
        {Ipv6({0x20, 0x01, 0x0d, 0xb8, 0, 0x77, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2}, L"2001:db8:77:100::2"), false},
        {Ipv6({0x20, 0x01, 0x0d, 0xb8, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}, L"2001:db8:0:2::7"), false},
        {Ipv6({0xfe, 0xc0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, L"fec0::1"), false},
        {Ipv6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 203, 0, 113, 9}, L"::203.0.113.9"), false},
        {kGlobal, false},
    };
    for (const auto& c : askingCases) EXPECT_EQ(SenderAllowed(c.from, networks), c.taken) << Narrow(c.from.text);
    EXPECT_EQ(networks.lookUps, 7);
    networks.prefixes.clear();  // the network went away
    EXPECT_FALSE(SenderAllowed(askingCases[0].from, networks));
}

TEST(SenderRule, ARefusedDatagramIsNotPostedAndToldOnceAtEachPowerOfTen) {
    Rig rig;
    rig.Loaded();
    rig.socket.from = kGlobal;
    for (int i = 0; i < 1000; ++i) rig.Arrive("<call:4>FAKE <eor>");
    EXPECT_TRUE(rig.http.bodies.empty());
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_TRUE(rig.view.text1.empty());
    const std::wstring why = L"; IPv6 is taken only from this computer's own networks)\r\n";
    EXPECT_EQ(rig.view.text2, L"(not forwarded: a datagram from 2001:db8::5" + why +
                                  L"(not forwarded: 10 datagrams so far, the latest from 2001:db8::5" + why +
                                  L"(not forwarded: 100 datagrams so far, the latest from 2001:db8::5" + why +
                                  L"(not forwarded: 1,000 datagrams so far, the latest from 2001:db8::5" + why);
    // Each one asked for the next, so the ones behind it are read too.
    EXPECT_EQ(rig.socket.readChecks, 1000);
    rig.socket.from = Ipv4Sender(192, 168, 1, 20);
    rig.Arrive("<call:4>DL1AB <eor>");
    ASSERT_EQ(rig.http.bodies.size(), 1u);
    EXPECT_EQ(rig.view.text1, L"<call:4>DL1AB <eor>\r\n");
}
}  // namespace
