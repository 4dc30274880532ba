#include "gateway/listener.h"

#include <utility>

#include "gateway/port_text.h"

// Asks the socket for its next datagram once the current one is done with,
// even when the upload throws.
class Listener::ReadCheckOnExit {
public:
    explicit ReadCheckOnExit(Listener& listener) : listener_(listener) {}
    ~ReadCheckOnExit() {
        if (armed_ && listener_.life_.Running()) listener_.AskForNext();
    }
    void Cancel() { armed_ = false; }
    ReadCheckOnExit(const ReadCheckOnExit&) = delete;
    ReadCheckOnExit& operator=(const ReadCheckOnExit&) = delete;

private:
    Listener& listener_;
    bool armed_ = true;
};

BindResult Listener::Bind(const std::wstring& portText) {
    const std::optional<std::uint16_t> port = ParsePortText(portText);
    if (!port) {
        BindResult result;
        result.ok = false;
        result.description = L"The port must be a whole number from 1 to 65535.";
        return result;
    }
    return ports_.socket.Bind(*port);
}

BindResult Listener::Open(const std::wstring& portText) {
    Close();
    ports_.socket.SetProtocolUdp();
    return Bind(portText);
}

BindResult Listener::Rebind(const std::wstring& portText) {
    Close();
    return Bind(portText);
}

void Listener::Close() {
    ports_.socket.Close();
    // What was held or asked for went with the socket.
    held_ = false;
    checkAsked_ = false;
    error_.reset();
}

void Listener::AskForNext() {
    if (checkAsked_) return;
    checkAsked_ = true;
    ports_.socket.RequestReadCheck();
}

void Listener::InputTaken() {
    if (!held_) return;
    held_ = false;
    AskForNext();
}

void Listener::KeepError(int error) {
    if (!error_) error_ = error;
}

std::optional<int> Listener::ErrorToReport() {
    if (!error_) return std::nullopt;
    if (!life_.TakesInput()) {
        Hold();
        return std::nullopt;
    }
    return std::exchange(error_, std::nullopt);
}

void Listener::TakeDatagram(const std::function<void(std::string bytes)>& upload) {
    // This is the check asked for, or a notification that makes it needless.
    checkAsked_ = false;
    if (!life_.TakesInput()) {
        Hold();
        return;
    }
    ReadCheckOnExit next(*this);
    std::optional<Datagram> datagram = ports_.socket.ReadPending();
    if (!datagram) {
        // Nothing waits: the socket tells of the next arrival itself. Asking
        // again here would post check after check and starve the painting.
        next.Cancel();
        return;
    }
    if (!SenderAllowed(datagram->from, ports_.networks)) {
        if (const std::optional<std::wstring> line = refused_.Refuse(datagram->from))
            ports_.view.AppendToPane(Pane::Text2, *line);
        return;
    }
    Lifecycle::BusyScope busy(life_);
    upload(std::move(datagram->bytes));
}
