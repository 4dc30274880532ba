// Which senders the listener takes: every IPv4 one, and IPv6 only from near
// this computer. A refused datagram is told in the response pane, sparingly.
#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/sender_rule.h"

namespace {
// An IPv6 sender from its eight groups.
SenderAddress V6(std::array<std::uint16_t, 8> groups, const wchar_t* text = L"") {
    SenderAddress s;
    s.ipv6 = true;
    for (std::size_t i = 0; i < 8; ++i) {
        s.bytes[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
        s.bytes[2 * i + 1] = static_cast<std::uint8_t>(groups[i]);
    }
    s.text = text;
    return s;
}

TEST(SenderRule, TakesIpv4AndNearbyIpv6AndAsksForThePrefixesOnlyWhenNothingElseDecides) {
    FakeNetworks networks;
    // This computer has 2001:db8:0:1::7/64, 2001:db8:77::/56 and a tunnel's 2001:db8::/32.
    for (const auto& [address, length] : {std::pair{V6({0x2001, 0xdb8, 0, 1, 0, 0, 0, 7}), 64u},
                                          {V6({0x2001, 0xdb8, 0x77}), 56u}, {V6({0x2001, 0xdb8}), 32u}})
        networks.prefixes.push_back({address.bytes, length});
    const struct {
        SenderAddress from;
        bool taken, asks;
    } cases[] = {
        {Ipv4Sender(203, 0, 113, 9), true, false},
        {V6({0, 0, 0, 0, 0, 0xffff, 0xcb00, 0x7109}), true, false},  // ::ffff:203.0.113.9
        {V6({0, 0, 0, 0, 0, 0, 0, 1}), true, false},
        {V6({0xfe80, 0, 0, 0, 0x211, 0x22ff, 0xfe33, 0x4455}), true, false},
        {V6({0xfebf, 0xffff, 0, 0, 0, 0, 0, 1}), true, false},
        {V6({0xfd12, 0x3456, 0, 0, 0, 0, 0, 9}), true, false},
        {V6({0xfc00, 0, 0, 0, 0, 0, 0, 9}), true, false},
        {V6({0x2001, 0xdb8, 0, 1, 0xaa00, 0, 0, 2}), true, true},
        {V6({0x2001, 0xdb8, 0x77, 0xff, 0, 0, 0, 2}), true, true},
        {V6({0x2001, 0xdb8, 0x77, 0x100, 0, 0, 0, 2}), false, true},
        {V6({0x2001, 0xdb8, 0, 2, 0, 0, 0, 7}), false, true},  // only in the tunnel's /32
        {V6({0xfec0, 0, 0, 0, 0, 0, 0, 1}), false, true},
        {V6({0, 0, 0, 0, 0, 0, 0xcb00, 0x7109}), false, true},  // ::203.0.113.9 is no IPv4 sender
    };
    for (const auto& c : cases) {
        const int before = networks.lookUps;
        EXPECT_EQ(SenderAllowed(c.from, networks), c.taken) << &c - cases;
        EXPECT_EQ(networks.lookUps - before, c.asks ? 1 : 0) << &c - cases;
    }
    networks.prefixes.clear();  // the network went away
    EXPECT_FALSE(SenderAllowed(cases[7].from, networks));
}

TEST(SenderRule, ARefusedDatagramIsNotPostedAndToldOnceAtEachPowerOfTen) {
    Rig rig;
    rig.Loaded();
    rig.socket.from = V6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 5}, L"2001:db8::5");
    for (int i = 0; i < 1000; ++i) rig.Arrive("<call:4>FAKE <eor>");
    EXPECT_TRUE(rig.http.bodies.empty());
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_TRUE(rig.view.text1.empty());
    const std::wstring why = L" 2001:db8::5; IPv6 is taken only from this computer's own networks)\r\n";
    EXPECT_EQ(rig.view.text2, L"(not forwarded: a datagram from" + why +
                                  L"(not forwarded: 10 datagrams so far, the latest from" + why +
                                  L"(not forwarded: 100 datagrams so far, the latest from" + why +
                                  L"(not forwarded: 1,000 datagrams so far, the latest from" + why);
    EXPECT_EQ(rig.socket.readChecks, 1000) << "each one asks for the next";
    rig.socket.from = Ipv4Sender(192, 168, 1, 20);
    rig.Arrive("<eor>");
    EXPECT_EQ(rig.http.bodies.size(), 1u);
}
}  // namespace
