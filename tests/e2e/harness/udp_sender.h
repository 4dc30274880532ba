#pragma once
#include <cstdint>
#include <string>

namespace e2e {

// Sends one datagram with exactly these bytes (empty, NULs and up to the
// largest UDP payload included) to 127.0.0.1:port.
bool SendDatagram(std::uint16_t port, const std::string& bytes);

// True when some other socket holds the UDP port on all addresses: our own
// bind then fails with WSAEADDRINUSE. Only call it once the gateway has
// finished binding, or the probe could take the port from it.
bool IsUdpPortHeld(std::uint16_t port);

}  // namespace e2e
