#include "platform/win32/udp_socket_win32.h"

#include <ws2tcpip.h>

#include <cstring>

#include "platform/win32/error_text.h"

namespace {
BindResult Failure(int error) {
    BindResult result;
    result.ok = false;
    result.description = SystemErrorText(static_cast<unsigned long>(error));
    return result;
}

SenderAddress SenderOf(sockaddr_storage from) {
    SenderAddress sender;
    if (from.ss_family == AF_INET6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(from);
        sender.ipv6 = true;
        std::memcpy(sender.bytes.data(), &v6.sin6_addr, sender.bytes.size());
        v6.sin6_port = 0;  // the address alone, without brackets
    } else if (from.ss_family == AF_INET) {
        auto& v4 = reinterpret_cast<sockaddr_in&>(from);
        std::memcpy(sender.bytes.data(), &v4.sin_addr, 4);
        v4.sin_port = 0;
    } else {
        return sender;
    }
    wchar_t text[INET6_ADDRSTRLEN + 16] = L"";
    DWORD length = ARRAYSIZE(text);
    const int size = from.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    if (WSAAddressToStringW(reinterpret_cast<sockaddr*>(&from), size, nullptr, text, &length) == 0)
        sender.text = text;
    return sender;
}

// One socket for both families: "localhost" is ::1 first on current Windows,
// and a logger elsewhere on the LAN may send over either. Null where the
// system has no IPv6, or cannot take IPv4 on an IPv6 socket.
handles::Socket DualStackSocket() {
    handles::Socket s(socket(AF_INET6, SOCK_DGRAM, IPPROTO_UDP));
    if (!s) return s;
    DWORD v6only = 0;
    if (setsockopt(s.Get(), IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&v6only), sizeof v6only) ==
        SOCKET_ERROR)
        return handles::Socket();
    return s;
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
    handles::Socket s = DualStackSocket();
    const bool dualStack = static_cast<bool>(s);
    if (!dualStack) s = handles::Socket(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!s) return Failure(WSAGetLastError());
    // No other program may bind the port after us and take the operator's
    // contacts; checked, since a shared port would lose them without a word.
    BOOL exclusive = TRUE;
    if (setsockopt(s.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                   sizeof exclusive) == SOCKET_ERROR)
        return Failure(WSAGetLastError());
    // A burst waits here while an upload holds the thread.
    int size = kReceiveBufferBytes;
    setsockopt(s.Get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    sockaddr_in6 any6{};
    any6.sin6_family = AF_INET6;
    any6.sin6_addr = in6addr_any;
    any6.sin6_port = htons(localPort);
    sockaddr_in any4{};
    any4.sin_family = AF_INET;
    any4.sin_addr.s_addr = htonl(INADDR_ANY);
    any4.sin_port = htons(localPort);
    const int bound = dualStack ? bind(s.Get(), reinterpret_cast<const sockaddr*>(&any6), sizeof any6)
                                : bind(s.Get(), reinterpret_cast<const sockaddr*>(&any4), sizeof any4);
    if (bound == SOCKET_ERROR) return Failure(WSAGetLastError());
    if (WSAAsyncSelect(s.Get(), window_, message_, FD_READ) == SOCKET_ERROR) return Failure(WSAGetLastError());
    socket_ = std::move(s);
    return BindResult{};
}

std::optional<Datagram> UdpSocketWin32::ReadPending() {
    if (!socket_) return std::nullopt;
    for (;;) {
        sockaddr_storage from{};
        int fromLength = sizeof from;
        const int got = recvfrom(socket_.Get(), buffer_.data(), static_cast<int>(buffer_.size()), 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got >= 0) return Datagram{std::string(buffer_.data(), static_cast<std::size_t>(got)), SenderOf(from)};
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
