#include "udp_sender.h"

#include "handles.h"

namespace e2e {

bool SendDatagram(std::uint16_t port, const std::string& bytes) {
    UniqueSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!s) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int sent = sendto(s.get(), bytes.data(), static_cast<int>(bytes.size()), 0,
                      reinterpret_cast<sockaddr*>(&to), sizeof to);
    return sent == static_cast<int>(bytes.size());
}

bool IsUdpPortHeld(std::uint16_t port) {
    UniqueSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!s) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return false;
    return WSAGetLastError() == WSAEADDRINUSE;
}

}  // namespace e2e
