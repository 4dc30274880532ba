#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "gateway/lifecycle.h"
#include "gateway/sender_rule.h"
#include "platform/local_networks.h"
#include "platform/monitor_view.h"
#include "platform/udp_socket.h"

// The UDP listener: binds on the port text the operator gave, re-binds, and
// takes one datagram at a time, from the senders it takes.
class Listener {
public:
    struct Ports {
        UdpSocket& socket;
        LocalNetworks& networks;
        MonitorView& view;  // where refused datagrams are told
    };
    Listener(const Ports& ports, Lifecycle& life) : ports_(ports), life_(life) {}
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // A fresh UDP socket bound on the port the text names.
    BindResult Open(const std::wstring& portText);
    BindResult Rebind(const std::wstring& portText);
    void Close();

    // Whether a readiness notification is about the socket open now.
    bool Notifies(std::uintptr_t socket) const { return ports_.socket.IsCurrent(socket); }
    std::wstring ErrorText(int error) const { return ports_.socket.ErrorText(error); }

    // Hands the waiting datagram's bytes to `upload`, busy until it returns.
    // Whenever input is held (an upload's wait, any box) datagrams are held
    // too: one read then would replace the record a retry is about to send,
    // or stack a box on the one that waits. They are taken, in order, once
    // input is taken again.
    void TakeDatagram(const std::function<void(std::string bytes)>& upload);
    // The socket's fault, held back the same way: its box never opens over
    // another box or an upload's wait. Only the first is kept.
    void KeepError(int error);
    // The fault kept, once a box may show it; it is forgotten then.
    std::optional<int> ErrorToReport();
    // Told by the busy rule: what was held is asked for now.
    void InputTaken();

private:
    class ReadCheckOnExit;
    BindResult Bind(const std::wstring& portText);
    void Hold() { held_ = !life_.Ended(); }
    // One readiness check on its way is enough.
    void AskForNext();

    Ports ports_;
    Lifecycle& life_;
    RefusedSenders refused_;
    std::optional<int> error_;
    bool held_ = false;
    bool checkAsked_ = false;
};
