#include "stand_in_service.h"

#include <cctype>
#include <cstdlib>

#include "deadline.h"
#include "tcp_io.h"

namespace e2e {
namespace {

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200: return "OK";
        case 400: return "Bad Request";
        case 401: return "Unauthorized";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        case 502: return "Bad Gateway";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

// A peer that has gone shows as readable with nothing (or an error) to read.
bool PeerClosed(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, 0};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) return false;
    char byte;
    return recv(s, &byte, 1, MSG_PEEK) <= 0;
}

void ResetConnection(UniqueSocket& s) {
    linger l{1, 0};  // a zero linger time makes closesocket send RST
    setsockopt(s.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    s.reset();
}

bool ParseRequest(const std::string& head, RecordedRequest& req, size_t& contentLength) {
    size_t lineEnd = head.find("\r\n");
    std::string requestLine = head.substr(0, lineEnd);
    size_t sp1 = requestLine.find(' ');
    size_t sp2 = requestLine.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) return false;
    req.method = requestLine.substr(0, sp1);
    req.path = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    contentLength = 0;
    size_t pos = lineEnd + 2;
    while (pos < head.size()) {
        size_t e = head.find("\r\n", pos);
        if (e == std::string::npos) e = head.size();
        std::string line = head.substr(pos, e - pos);
        pos = e + 2;
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        std::string value = Trim(line.substr(colon + 1));
        if (EqualsIgnoreCase(name, "Content-Length"))
            contentLength = static_cast<size_t>(std::strtoull(value.c_str(), nullptr, 10));
        req.headers.emplace_back(std::move(name), std::move(value));
    }
    return true;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& [n, v] : headers)
        if (EqualsIgnoreCase(n, name)) return v;
    return {};
}

ScriptedReply ScriptedReply::Status(int status, std::string body, std::string contentType) {
    ScriptedReply r;
    r.status = status;
    r.body = std::move(body);
    r.contentType = std::move(contentType);
    return r;
}
ScriptedReply ScriptedReply::Hang() { ScriptedReply r; r.kind = Kind::Hang; return r; }
ScriptedReply ScriptedReply::ResetOnAccept() { ScriptedReply r; r.kind = Kind::ResetOnAccept; return r; }
ScriptedReply ScriptedReply::ResetAfterRequest() { ScriptedReply r; r.kind = Kind::ResetAfterRequest; return r; }
ScriptedReply ScriptedReply::Trickle(int status, std::string body, DWORD intervalMs) {
    ScriptedReply r = Status(status, std::move(body), "text/plain");
    r.kind = Kind::Trickle;
    r.trickleIntervalMs = intervalMs;
    return r;
}
ScriptedReply ScriptedReply::BreakOff(int status, std::string start) {
    ScriptedReply r = Status(status, std::move(start), "text/plain");
    r.kind = Kind::BreakOff;
    return r;
}
ScriptedReply ScriptedReply::Delayed(DWORD delayMs, ScriptedReply reply) {
    reply.delayMs = delayMs;
    return reply;
}

StandInService::StandInService(std::uint16_t port)
    : port_(port), defaultReply_(ScriptedReply::Status(200, "OK: stand-in default")) {}

StandInService::~StandInService() { Stop(); }

bool StandInService::Start(std::string* error) {
    listener_ = ListenOnLoopback(port_, 8, error);
    if (!listener_) return false;
    stopEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, &StandInService::ThreadMain, this, 0, nullptr));
    if (!thread_) { *error = "CreateThread: " + std::to_string(GetLastError()); return false; }
    return true;
}

void StandInService::Stop() {
    if (thread_) {
        SetEvent(stopEvent_.get());
        WaitForSingleObject(thread_.get(), 10000);
        thread_.reset();
    }
    listener_.reset();
    Lock l(lock_);
    hanging_.clear();
}

void StandInService::Enqueue(ScriptedReply reply) {
    Lock l(lock_);
    script_.push_back(std::move(reply));
}

void StandInService::SetDefaultReply(ScriptedReply reply) {
    Lock l(lock_);
    defaultReply_ = std::move(reply);
}

std::vector<RecordedRequest> StandInService::Requests() const {
    Lock l(lock_);
    return requests_;
}

size_t StandInService::RequestCount() const {
    Lock l(lock_);
    return requests_.size();
}

size_t StandInService::ConnectionCount() const {
    Lock l(lock_);
    return connections_;
}

size_t StandInService::AbandonedTrickles() const {
    Lock l(lock_);
    return abandonedTrickles_;
}

bool StandInService::WaitForRequests(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return RequestCount() >= count; }, timeoutMs);
}

void StandInService::ResetHanging() {
    Lock l(lock_);
    for (auto& s : hanging_) ResetConnection(s);
    hanging_.clear();
}

ScriptedReply StandInService::NextReply() {
    Lock l(lock_);
    if (script_.empty()) return defaultReply_;
    ScriptedReply r = std::move(script_.front());
    script_.pop_front();
    return r;
}

DWORD WINAPI StandInService::ThreadMain(LPVOID self) {
    static_cast<StandInService*>(self)->Serve();
    return 0;
}

void StandInService::Serve() {
    for (;;) {
        if (WaitForSingleObject(stopEvent_.get(), 0) == WAIT_OBJECT_0) return;
        UniqueSocket client = AcceptWithin(listener_.get(), 100);
        if (!client) continue;
        {
            Lock l(lock_);
            ++connections_;
        }
        HandleConnection(std::move(client));
    }
}

void StandInService::HandleConnection(UniqueSocket client) {
    // The reply is chosen when the connection comes in, so that a reset on
    // accept uses up its place in the script like any other reply.
    ScriptedReply reply = NextReply();
    if (reply.kind == ScriptedReply::Kind::ResetOnAccept) {
        ResetConnection(client);
        return;
    }
    std::string data;
    size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos)
        if (!ReceiveSome(client.get(), stopEvent_.get(), data)) return;
    RecordedRequest req;
    size_t contentLength = 0;
    if (!ParseRequest(data.substr(0, headEnd), req, contentLength)) {
        ResetConnection(client);
        return;
    }
    std::string body = data.substr(headEnd + 4);
    while (body.size() < contentLength)
        if (!ReceiveSome(client.get(), stopEvent_.get(), body)) break;
    req.body = body.substr(0, std::min(body.size(), contentLength));
    {
        Lock l(lock_);
        requests_.push_back(std::move(req));
    }
    if (reply.delayMs) WaitForSingleObject(stopEvent_.get(), reply.delayMs);
    switch (reply.kind) {
        case ScriptedReply::Kind::Hang: {
            Lock l(lock_);
            hanging_.push_back(std::move(client));
            return;
        }
        case ScriptedReply::Kind::ResetAfterRequest:
        case ScriptedReply::Kind::ResetOnAccept:
            ResetConnection(client);
            return;
        case ScriptedReply::Kind::Answer:
        case ScriptedReply::Kind::Trickle:
        case ScriptedReply::Kind::BreakOff:
            break;
    }
    std::string response = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) + "\r\n";
    if (!reply.contentType.empty()) response += "Content-Type: " + reply.contentType + "\r\n";
    const size_t promised = reply.body.size() + (reply.kind == ScriptedReply::Kind::BreakOff ? 1000 : 0);
    response += "Content-Length: " + std::to_string(promised) + "\r\n";
    response += "Connection: close\r\n\r\n";
    if (reply.kind == ScriptedReply::Kind::Trickle) {
        if (!SendAll(client.get(), response)) return;
        for (char byte : reply.body) {
            if (WaitForSingleObject(stopEvent_.get(), reply.trickleIntervalMs) == WAIT_OBJECT_0) return;
            if (!SendAll(client.get(), std::string(1, byte)) || PeerClosed(client.get())) {
                Lock l(lock_);
                ++abandonedTrickles_;
                return;
            }
        }
        return;
    }
    response += reply.body;
    if (reply.kind == ScriptedReply::Kind::BreakOff) {
        // A reset, a moment after the bytes went: a plain close would reach the
        // gateway only when stunnel gives up waiting for its close_notify.
        if (SendAll(client.get(), response) && WaitForSingleObject(stopEvent_.get(), 500) == WAIT_TIMEOUT)
            ResetConnection(client);
        return;
    }
    SendAndLetPeerClose(client.get(), stopEvent_.get(), response, 3000);
}

}  // namespace e2e
