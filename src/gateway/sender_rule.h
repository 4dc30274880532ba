#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/local_networks.h"
#include "platform/udp_socket.h"

// Who may hand the gateway a record. Every IPv4 sender, as before the socket
// took IPv6 too: NAT kept the Internet out, and VPNs and second subnets are
// the operator's own. IPv6 reaches the PC from anywhere its router lets
// through, so only senders near it: loopback, link-local, unique-local, and
// the prefixes (of /48 or longer) this computer has an address on now. The
// prefixes are asked for only when nothing else decides.
bool SenderAllowed(const SenderAddress& from, LocalNetworks& networks);

// The lines the response pane shows about refused datagrams: the first one,
// then one at the 10th, 100th, 1,000th and so on, so that a flood cannot
// grow the pane without end.
class RefusedSenders {
public:
    std::optional<std::wstring> Refuse(const SenderAddress& from);

private:
    std::uint64_t count_ = 0;
    std::uint64_t nextTold_ = 1;
};
