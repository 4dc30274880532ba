#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct BindResult {
    bool ok = true;
    std::wstring description;    // the system's text for the failure
};

// Where a datagram came from. An IPv4 sender on the dual-stack socket shows
// as an IPv4-mapped IPv6 address.
struct SenderAddress {
    bool ipv6 = false;
    std::array<std::uint8_t, 16> bytes{};  // IPv4: the first four
    std::wstring text;                     // as the system writes it
};

struct Datagram {
    std::string bytes;
    SenderAddress from;
};

// The event bit of a readiness notification that says a datagram waits.
constexpr unsigned kSocketReadable = 0x01;

// The listener's socket. Readiness is reported by the window that owns it.
class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    virtual void Close() = 0;
    virtual void SetProtocolUdp() = 0;
    // Binds to the port on every local address.
    virtual BindResult Bind(std::uint16_t localPort) = 0;
    // The next pending datagram, whole, and its sender; nullopt when none is waiting.
    virtual std::optional<Datagram> ReadPending() = 0;
    // Asks for another readiness notification once the current event is done,
    // so datagrams left waiting are picked up one per event.
    virtual void RequestReadCheck() = 0;
    // Whether a notification names the socket that is open now; a closed
    // socket's late notifications name another.
    virtual bool IsCurrent(std::uintptr_t socket) const = 0;
    // The socket layer's description of one of its error numbers.
    virtual std::wstring ErrorText(int error) const = 0;
};
