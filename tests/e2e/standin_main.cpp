// vantary-standin --serve <port>: the loopback stand-in for the log service,
// for demos. Takes every upload; put TLS in front of it to reach it over HTTPS.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "harness/stand_in_service.h"
#include "harness/win.h"

namespace {

HANDLE g_stop = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD) {
    SetEvent(g_stop);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "--serve") {
        std::fprintf(stderr, "usage: vantary-standin --serve <port>\n");
        return 2;
    }
    const long port = std::strtol(argv[2], nullptr, 10);
    if (port < 1 || port > 65535) {
        std::fprintf(stderr, "vantary-standin: bad port %s\n", argv[2]);
        return 2;
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    e2e::StandInService service(static_cast<std::uint16_t>(port));
    service.SetDefaultReply(e2e::ScriptedReply::Status(200, "Result: 1 out of 1 records added", "text/plain"));
    std::string error;
    if (!service.Start(&error)) {
        std::fprintf(stderr, "vantary-standin: %s\n", error.c_str());
        return 1;
    }
    std::printf("vantary-standin: serving POST /realtime.php on 127.0.0.1:%ld\n", port);
    std::fflush(stdout);
    g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    size_t shown = 0;
    while (WaitForSingleObject(g_stop, 200) == WAIT_TIMEOUT) {
        auto requests = service.Requests();
        for (; shown < requests.size(); ++shown)
            std::printf("vantary-standin: %s %s, %zu body bytes\n", requests[shown].method.c_str(),
                        requests[shown].path.c_str(), requests[shown].body.size());
        std::fflush(stdout);
    }
    service.Stop();
    WSACleanup();
    return 0;
}
