#include "bench_service.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "clock.h"
#include "tcp_io.h"

namespace bench {
namespace {

constexpr char kIdPrefix[] = "BENCHID";
constexpr std::size_t kIdDigits = 6;

std::size_t ContentLength(const std::string& head) {
    std::string lower(head);
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return static_cast<std::size_t>(std::strtoull(head.c_str() + at + 17, nullptr, 10));
}

}  // namespace

std::string BenchId(std::size_t n) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06zu", n);
    return kIdPrefix + std::string(digits);
}

std::string FindBenchId(const std::string& text) {
    const std::size_t at = text.find(kIdPrefix);
    if (at == std::string::npos) return {};
    const std::size_t len = sizeof kIdPrefix - 1 + kIdDigits;
    return at + len <= text.size() ? text.substr(at, len) : std::string();
}

BenchService::~BenchService() { Stop(); }

bool BenchService::Start(std::string* error) {
    listener_ = e2e::ListenOnLoopback(port_, 16, error);
    if (!listener_) return false;
    stopEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    changed_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, &BenchService::ThreadMain, this, 0, nullptr));
    if (!thread_) { *error = "CreateThread: " + std::to_string(GetLastError()); return false; }
    // The thread stamps arrivals: it must not wait behind the sender for a core.
    SetThreadPriority(thread_.get(), THREAD_PRIORITY_HIGHEST);
    return true;
}

void BenchService::Stop() {
    if (thread_) {
        SetEvent(stopEvent_.get());
        WaitForSingleObject(thread_.get(), 10000);
        thread_.reset();
    }
    listener_.reset();
}

void BenchService::SetReplyDelay(DWORD ms) {
    e2e::Lock l(lock_);
    delayMs_ = ms;
}

std::size_t BenchService::ArrivalCount() const {
    e2e::Lock l(lock_);
    return arrivals_.size();
}

std::size_t BenchService::FinishedCount() const {
    e2e::Lock l(lock_);
    return finished_;
}

std::vector<Arrival> BenchService::Arrivals() const {
    e2e::Lock l(lock_);
    return arrivals_;
}

Arrival BenchService::ArrivalAt(std::size_t index) const {
    e2e::Lock l(lock_);
    return index < arrivals_.size() ? arrivals_[index] : Arrival{};
}

bool BenchService::WaitForCount(bool finished, std::size_t count, DWORD timeoutMs) const {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        {
            e2e::Lock l(lock_);
            if ((finished ? finished_ : arrivals_.size()) >= count) return true;
            // Reset under the lock: a change after this point sets it again.
            ResetEvent(changed_.get());
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        WaitForSingleObject(changed_.get(), static_cast<DWORD>(end - now));
    }
}

bool BenchService::WaitForArrivals(std::size_t count, DWORD timeoutMs) const {
    return WaitForCount(false, count, timeoutMs);
}

bool BenchService::WaitForFinished(std::size_t count, DWORD timeoutMs) const {
    return WaitForCount(true, count, timeoutMs);
}

DWORD WINAPI BenchService::ThreadMain(LPVOID self) {
    static_cast<BenchService*>(self)->Serve();
    return 0;
}

void BenchService::Serve() {
    for (;;) {
        if (WaitForSingleObject(stopEvent_.get(), 0) == WAIT_OBJECT_0) return;
        e2e::UniqueSocket client = e2e::AcceptWithin(listener_.get(), 50);
        if (!client) continue;
        BOOL yes = TRUE;
        setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
        HandleConnection(client.get());
    }
}

void BenchService::SetReplyPadding(std::size_t bytes) {
    e2e::Lock l(lock_);
    paddingBytes_ = bytes;
}

void BenchService::HandleConnection(SOCKET client) {
    std::string data;
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos)
        if (!e2e::ReceiveSome(client, stopEvent_.get(), data, 30000, 50)) return;
    const std::size_t contentLength = ContentLength(data.substr(0, headEnd + 2));
    while (data.size() - (headEnd + 4) < contentLength)
        if (!e2e::ReceiveSome(client, stopEvent_.get(), data, 30000, 50)) return;
    Arrival arrival;
    arrival.atUs = NowUs();
    const std::string body = data.substr(headEnd + 4, contentLength);
    arrival.marker = FindBenchId(body);
    arrival.bodyBytes = body.size();
    DWORD delay;
    std::size_t padding;
    {
        e2e::Lock l(lock_);
        arrivals_.push_back(arrival);
        delay = delayMs_;
        padding = paddingBytes_;
        SetEvent(changed_.get());
    }
    if (delay) WaitForSingleObject(stopEvent_.get(), delay);
    std::string text = "OK " + (arrival.marker.empty() ? std::string("no bench id") : arrival.marker);
    if (padding) text += " " + std::string(padding, 'x');
    std::string response = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                           std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text;
    // The client closes first, so it never sees a reset; that close is "finished".
    e2e::SendAndLetPeerClose(client, stopEvent_.get(), response, 5000);
    e2e::Lock l(lock_);
    ++finished_;
    SetEvent(changed_.get());
}

}  // namespace bench
