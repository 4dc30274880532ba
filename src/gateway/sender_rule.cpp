#include "gateway/sender_rule.h"

#include <algorithm>

#include "gateway/messages.h"

namespace {
using Bytes = std::array<std::uint8_t, 16>;

// ::ffff:a.b.c.d, as the dual-stack socket shows an IPv4 sender.
bool Ipv4Mapped(const Bytes& a) {
    return std::all_of(a.begin(), a.begin() + 10, [](std::uint8_t b) { return b == 0; }) && a[10] == 0xff &&
           a[11] == 0xff;
}

bool Loopback(const Bytes& a) {
    return std::all_of(a.begin(), a.end() - 1, [](std::uint8_t b) { return b == 0; }) && a[15] == 1;
}

bool LinkLocal(const Bytes& a) { return a[0] == 0xfe && (a[1] & 0xc0) == 0x80; }  // fe80::/10
bool UniqueLocal(const Bytes& a) { return (a[0] & 0xfe) == 0xfc; }                 // fc00::/7

// A LAN is a /64. A shorter on-link prefix, such as a tunnel's, would take
// in a provider's whole range.
constexpr unsigned kShortestNetwork = 48;

bool InPrefix(const Bytes& a, const Ipv6Prefix& prefix) {
    if (prefix.length < kShortestNetwork) return false;
    const unsigned length = std::min(prefix.length, 128u);
    const unsigned whole = length / 8;
    if (!std::equal(a.begin(), a.begin() + whole, prefix.address.begin())) return false;
    if (length % 8 == 0) return true;
    const auto mask = static_cast<std::uint8_t>(0xff << (8 - length % 8));
    return (a[whole] & mask) == (prefix.address[whole] & mask);
}
}  // namespace

bool SenderAllowed(const SenderAddress& from, LocalNetworks& networks) {
    const Bytes& a = from.bytes;
    if (!from.ipv6 || Ipv4Mapped(a)) return true;
    if (Loopback(a) || LinkLocal(a) || UniqueLocal(a)) return true;
    const std::vector<Ipv6Prefix> onLink = networks.OnLinkPrefixes();
    return std::any_of(onLink.begin(), onLink.end(), [&](const Ipv6Prefix& p) { return InPrefix(a, p); });
}

std::optional<std::wstring> RefusedSenders::Refuse(const SenderAddress& from) {
    if (++count_ != nextTold_) return std::nullopt;
    if (nextTold_ <= UINT64_MAX / 10) nextTold_ *= 10;
    return messages::NotForwarded(count_, from.text);
}
