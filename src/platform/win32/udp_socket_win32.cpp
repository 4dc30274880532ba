#include "platform/win32/udp_socket_win32.h"

#include "platform/win32/error_text.h"

namespace {
BindResult Failure(int error) {
    BindResult result;
    result.ok = false;
    result.description = SystemErrorText(static_cast<unsigned long>(error));
    return result;
}
}  // namespace

void UdpSocketWin32::Close() {
    if (!socket_) return;
    // No notification may reach the window for a socket that is gone.
    WSAAsyncSelect(socket_.Get(), window_, 0, 0);
    socket_.Reset();
}

BindResult UdpSocketWin32::Bind(std::uint16_t localPort) {
    Close();
    handles::Socket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!s) return Failure(WSAGetLastError());
    // A burst waits here while an upload holds the thread.
    int size = kReceiveBufferBytes;
    setsockopt(s.Get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(localPort);
    if (bind(s.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
        return Failure(WSAGetLastError());
    if (WSAAsyncSelect(s.Get(), window_, message_, FD_READ) == SOCKET_ERROR) return Failure(WSAGetLastError());
    socket_ = std::move(s);
    return BindResult{};
}

std::optional<std::string> UdpSocketWin32::ReadPending() {
    if (!socket_) return std::nullopt;
    for (;;) {
        const int got = recvfrom(socket_.Get(), buffer_.data(), static_cast<int>(buffer_.size()), 0, nullptr, nullptr);
        if (got >= 0) return std::string(buffer_.data(), static_cast<std::size_t>(got));
        const int error = WSAGetLastError();
        // A port-unreachable report from an earlier send of someone else's is no datagram.
        if (error == WSAECONNRESET) continue;
        return std::nullopt;
    }
}

void UdpSocketWin32::RequestReadCheck() {
    if (socket_ && window_) PostMessageW(window_, message_, static_cast<WPARAM>(socket_.Get()), FD_READ);
}

bool UdpSocketWin32::IsCurrent(std::uintptr_t socket) const {
    return socket_ && static_cast<SOCKET>(socket) == socket_.Get();
}

std::wstring UdpSocketWin32::ErrorText(int error) const { return SystemErrorText(static_cast<unsigned long>(error)); }
