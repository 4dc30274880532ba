#pragma once
#include <optional>
#include <string>

struct BindResult {
    bool ok = true;
    int error = 0;               // the socket layer's error number
    std::wstring description;    // the system's text for it
};

// The listener's socket. Readiness is reported by the window that owns it.
class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    virtual void Close() = 0;
    virtual void SetProtocolUdp() = 0;
    virtual BindResult Bind(const std::wstring& localPort) = 0;
    // The next pending datagram's bytes, whole; nullopt when none is waiting.
    virtual std::optional<std::string> ReadPending() = 0;
    // Asks for another readiness notification once the current event is done,
    // so datagrams left waiting are picked up one per event.
    virtual void RequestReadCheck() = 0;
};
