#include "udp_sender.h"

namespace e2e {
namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

}  // namespace

UdpSender::UdpSender() : socket_(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) {}

bool UdpSender::Send(std::uint16_t port, const std::string& bytes) const {
    if (!socket_) return false;
    const sockaddr_in to = Loopback(port);
    const int sent = sendto(socket_.get(), bytes.data(), static_cast<int>(bytes.size()), 0,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<int>(bytes.size());
}

bool SendDatagram(std::uint16_t port, const std::string& bytes) { return UdpSender().Send(port, bytes); }

bool SendDatagramToIpv6Loopback(std::uint16_t port, const std::string& bytes) {
    UniqueSocket s(socket(AF_INET6, SOCK_DGRAM, IPPROTO_UDP));
    if (!s) return false;
    sockaddr_in6 to{};
    to.sin6_family = AF_INET6;
    to.sin6_port = htons(port);
    to.sin6_addr = in6addr_loopback;
    const int sent = sendto(s.get(), bytes.data(), static_cast<int>(bytes.size()), 0,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<int>(bytes.size());
}

bool IsUdpPortHeld(std::uint16_t port) {
    UniqueSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!s) return false;
    sockaddr_in addr = Loopback(port);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return false;
    return WSAGetLastError() == WSAEADDRINUSE;
}

}  // namespace e2e
