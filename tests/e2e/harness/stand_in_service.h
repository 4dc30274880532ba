#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "handles.h"

namespace e2e {

struct RecordedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // The first header of that name (case-insensitive), empty when absent.
    std::string Header(const std::string& name) const;
};

// What the stand-in does with the next request, in the order the test queued.
struct ScriptedReply {
    enum class Kind { Answer, Hang, ResetOnAccept, ResetAfterRequest, Trickle, BreakOff };
    Kind kind = Kind::Answer;
    int status = 200;
    std::string body;
    std::string contentType;  // no Content-Type header when empty
    DWORD delayMs = 0;
    DWORD trickleIntervalMs = 0;  // Trickle: the body one byte at a time, this far apart

    static ScriptedReply Status(int status, std::string body, std::string contentType = "");
    static ScriptedReply Hang();
    static ScriptedReply ResetOnAccept();
    static ScriptedReply ResetAfterRequest();
    static ScriptedReply Delayed(DWORD delayMs, ScriptedReply reply);
    static ScriptedReply Trickle(int status, std::string body, DWORD intervalMs);
    // The status line and the start of a longer body, then the connection breaks.
    static ScriptedReply BreakOff(int status, std::string start);
};

// Plain HTTP/1.1 server on 127.0.0.1 standing in for the log service; the
// TLS in front of it is someone else's (stunnel). One connection at a time:
// the gateway never has more than one request open.
class StandInService {
public:
    explicit StandInService(std::uint16_t port);
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    // Listens and starts the server thread; false with a reason on failure.
    bool Start(std::string* error);
    void Stop();

    void Enqueue(ScriptedReply reply);
    // Used once the queue is empty.
    void SetDefaultReply(ScriptedReply reply);

    std::vector<RecordedRequest> Requests() const;
    size_t RequestCount() const;
    // Connections accepted, with or without a request read from them.
    size_t ConnectionCount() const;
    // Connections that the peer closed while a trickled reply was still going out.
    size_t AbandonedTrickles() const;
    bool WaitForRequests(size_t count, DWORD timeoutMs) const;
    // Ends every hanging connection with a reset.
    void ResetHanging();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Serve();
    void HandleConnection(UniqueSocket client);
    ScriptedReply NextReply();

    std::uint16_t port_;
    UniqueSocket listener_;
    UniqueHandle stopEvent_;
    UniqueHandle thread_;
    mutable CriticalSection lock_;
    std::deque<ScriptedReply> script_;
    ScriptedReply defaultReply_;
    std::vector<RecordedRequest> requests_;
    size_t connections_ = 0;
    size_t abandonedTrickles_ = 0;
    std::vector<UniqueSocket> hanging_;
};

}  // namespace e2e
