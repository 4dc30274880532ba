#pragma once
#include "platform/udp_socket.h"
#include "platform/win32/handles.h"

// Keeps Winsock started for the program's life.
class WinsockSession {
public:
    WinsockSession() { started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    ~WinsockSession() { if (started_) WSACleanup(); }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

private:
    WSADATA data_{};
    bool started_ = false;
};

// The listener: a UDP socket whose readiness arrives as a window message.
class UdpSocketWin32 : public UdpSocket {
public:
    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

    void SetNotifyWindow(HWND window, UINT message) { window_ = window; message_ = message; }
    void Close() override;
    // Every socket this listener opens is a datagram socket.
    void SetProtocolUdp() override {}
    BindResult Bind(std::uint16_t localPort) override;
    std::optional<Datagram> ReadPending() override;
    void RequestReadCheck() override;
    bool IsCurrent(std::uintptr_t socket) const override;
    std::wstring ErrorText(int error) const override;

private:
    handles::Socket socket_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    std::string buffer_ = std::string(65536, '\0');
};
