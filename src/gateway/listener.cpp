#include "gateway/listener.h"

#include <optional>

#include "gateway/port_text.h"

namespace {
// Asks the socket for its next datagram once the current one is done with,
// even when the upload throws.
class ReadCheckOnExit {
public:
    ReadCheckOnExit(UdpSocket& socket, const Lifecycle& life) : socket_(socket), life_(life) {}
    ~ReadCheckOnExit() {
        if (armed_ && life_.Running()) socket_.RequestReadCheck();
    }
    void Cancel() { armed_ = false; }
    ReadCheckOnExit(const ReadCheckOnExit&) = delete;
    ReadCheckOnExit& operator=(const ReadCheckOnExit&) = delete;

private:
    UdpSocket& socket_;
    const Lifecycle& life_;
    bool armed_ = true;
};

// Keeps a flag raised for the duration of a scope, whichever way it ends.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = previous_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    bool previous_;
};
}  // namespace

BindResult Listener::Bind(const std::wstring& portText) {
    const std::optional<std::uint16_t> port = ParsePortText(portText);
    if (!port) {
        BindResult result;
        result.ok = false;
        result.description = L"The port must be a whole number from 1 to 65535.";
        return result;
    }
    return socket_.Bind(*port);
}

BindResult Listener::Open(const std::wstring& portText) {
    socket_.Close();
    socket_.SetProtocolUdp();
    return Bind(portText);
}

BindResult Listener::Rebind(const std::wstring& portText) {
    socket_.Close();
    return Bind(portText);
}

void Listener::TakeDatagram(const std::function<void(std::string bytes)>& upload) {
    if (uploading_ || !life_.Running()) return;
    ReadCheckOnExit rearm(socket_, life_);
    std::optional<std::string> datagram = socket_.ReadPending();
    if (!datagram) {
        // Nothing waits: the socket tells of the next arrival itself. Asking
        // again here would post check after check and starve the painting.
        rearm.Cancel();
        return;
    }
    FlagGuard uploading(uploading_);
    upload(std::move(*datagram));
}
