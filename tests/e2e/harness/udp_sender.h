#pragma once
#include <cstdint>
#include <string>

#include "handles.h"

namespace e2e {

// One UDP socket, so that every datagram it sends comes from the same source
// port, as from one program on the LAN.
class UdpSender {
public:
    UdpSender();
    bool ok() const { return static_cast<bool>(socket_); }
    // Sends exactly these bytes (empty, NULs and up to the largest UDP payload
    // included) to 127.0.0.1:port.
    bool Send(std::uint16_t port, const std::string& bytes) const;

private:
    UniqueSocket socket_;
};

// The same from a socket used once.
bool SendDatagram(std::uint16_t port, const std::string& bytes);
// The same to [::1]:port, as a logger told "localhost" sends on current Windows.
bool SendDatagramToIpv6Loopback(std::uint16_t port, const std::string& bytes);

// True when some other socket holds the UDP port on all addresses: our own
// bind then fails with WSAEADDRINUSE. Only call it once the gateway has
// finished binding, or the probe could take the port from it.
bool IsUdpPortHeld(std::uint16_t port);

}  // namespace e2e
