#include "tcp_io.h"

namespace e2e {
namespace {

// select's answer: 1 readable, 0 not within the wait, negative on error.
int WaitReadable(SOCKET s, DWORD waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &tv);
}

}  // namespace

UniqueSocket ListenOnLoopback(std::uint16_t port, int backlog, std::string* error) {
    UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) {
        *error = "socket: " + std::to_string(WSAGetLastError());
        return {};
    }
    BOOL yes = TRUE;
    // A previous run's connections may still be in TIME_WAIT on this port.
    setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        *error = "bind 127.0.0.1:" + std::to_string(port) + ": " + std::to_string(WSAGetLastError());
        return {};
    }
    if (listen(listener.get(), backlog) != 0) {
        *error = "listen: " + std::to_string(WSAGetLastError());
        return {};
    }
    return listener;
}

UniqueSocket AcceptWithin(SOCKET listener, DWORD pollMs) {
    if (WaitReadable(listener, pollMs) <= 0) return {};
    return UniqueSocket(accept(listener, nullptr, nullptr));
}

bool ReceiveSome(SOCKET s, HANDLE stop, std::string& into, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG end = timeoutMs == INFINITE ? ~0ULL : GetTickCount64() + timeoutMs;
    for (;;) {
        if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return false;
        if (GetTickCount64() >= end) return false;
        const int ready = WaitReadable(s, pollMs);
        if (ready < 0) return false;
        if (ready == 0) continue;
        char buf[16384];
        const int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) return false;
        into.append(buf, static_cast<size_t>(n));
        return true;
    }
}

bool SendAll(SOCKET s, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const int n = send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void SendAndLetPeerClose(SOCKET s, HANDLE stop, const std::string& response, DWORD lingerMs) {
    SendAll(s, response);
    shutdown(s, SD_SEND);
    std::string rest;
    while (ReceiveSome(s, stop, rest, lingerMs)) rest.clear();
}

}  // namespace e2e
