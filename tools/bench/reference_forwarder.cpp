// The least a forwarder can do: a blocking UDP socket and, for each datagram,
// the gateway's own WinHTTP post of the gateway's own form. No window, no
// panes, no message boxes: what the gateway costs beyond this is its own.
//   vantary-reference-forwarder <port> <count> <email> <password> <callsign>
// Ends after <count> datagrams, or on a datagram holding exactly the stop word.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "gateway/form_encoding.h"
#include "gateway/main_form.h"
#include "platform/win32/winhttp_library.h"
#include "platform/win32/winhttp_poster.h"

namespace {

constexpr char kStopWord[] = "VANTARY-BENCH-STOP";
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

// The credentials the bench uses are ASCII, so their code-page bytes are the
// characters themselves.
std::string Ascii(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += static_cast<char>(*text);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: vantary-reference-forwarder <port> <count> <email> <password> <callsign>\n");
        return 2;
    }
    const int port = _wtoi(argv[1]);
    const long count = _wtol(argv[2]);
    const std::string head = "email=" + EncodeFormBytes(Ascii(argv[3])) +
                             "&password=" + EncodeFormBytes(Ascii(argv[4])) +
                             "&callsign=" + EncodeFormBytes(Ascii(argv[5]));
    const std::string tail = "&api=" + EncodeFormBytes(Ascii(kGatewayApiKey));

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 3;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return 3;
    int size = kReceiveBufferBytes;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        std::fprintf(stderr, "bind %d: %d\n", port, WSAGetLastError());
        return 4;
    }

    WinHttpLibrary winhttp;
    WinHttpPoster poster(VANTARY_UPLOAD_URL, winhttp.Api());
    std::vector<char> buffer(65536);
    long failed = 0;
    for (long done = 0; done < count;) {
        const int got = recvfrom(s, buffer.data(), static_cast<int>(buffer.size()), 0, nullptr, nullptr);
        if (got < 0) {
            if (WSAGetLastError() == WSAECONNRESET) continue;
            break;
        }
        const std::string datagram(buffer.data(), static_cast<std::size_t>(got));
        if (datagram == kStopWord) break;
        const HttpReply reply = poster.PostForm(head + "&adif=" + EncodeFormBytes(datagram) + tail);
        if (!reply.completed) ++failed;
        ++done;
    }
    closesocket(s);
    WSACleanup();
    std::printf("reference forwarder: %ld failed posts\n", failed);
    return failed ? 1 : 0;
}
