#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "gateway/lifecycle.h"
#include "platform/udp_socket.h"

// The UDP listener: binds on the port text the operator gave, re-binds, and
// takes one datagram at a time.
class Listener {
public:
    Listener(UdpSocket& socket, const Lifecycle& life) : socket_(socket), life_(life) {}
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // A fresh UDP socket bound on the port the text names.
    BindResult Open(const std::wstring& portText);
    BindResult Rebind(const std::wstring& portText);
    void Close() { socket_.Close(); }

    // Whether a readiness notification is about the socket open now.
    bool Notifies(std::uintptr_t socket) const { return socket_.IsCurrent(socket); }
    std::wstring ErrorText(int error) const { return socket_.ErrorText(error); }

    // Hands the waiting datagram's bytes to `upload`. While an upload runs,
    // boxes and the upload's wait dispatch socket events: a datagram read
    // then would replace the record a retry is about to send, so it waits.
    void TakeDatagram(const std::function<void(std::string bytes)>& upload);

private:
    BindResult Bind(const std::wstring& portText);

    UdpSocket& socket_;
    const Lifecycle& life_;
    bool uploading_ = false;
};
