#pragma once
#include <array>
#include <cstdint>
#include <vector>

// An IPv6 network this computer has an address on: the address and how many
// of its leading bits name the network.
struct Ipv6Prefix {
    std::array<std::uint8_t, 16> address{};
    unsigned length = 128;
};

// The networks this computer is on, as the system knows them now.
class LocalNetworks {
public:
    virtual ~LocalNetworks() = default;
    // The IPv6 prefixes on which this computer has a unicast address now;
    // empty when the system cannot tell.
    virtual std::vector<Ipv6Prefix> OnLinkPrefixes() = 0;
};
