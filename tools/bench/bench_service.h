#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "handles.h"

namespace bench {

// One request as the stand-in held it complete, with the moment it was.
struct Arrival {
    double atUs = 0;
    std::string marker;  // the record's bench id, found in the body
    std::size_t bodyBytes = 0;
};

// The end-to-end stand-in trimmed to what timing needs: plain HTTP/1.1 on
// 127.0.0.1 behind someone else's TLS, one connection at a time, a fixed
// delay before each 200 reply, and a clock reading taken the moment a body is
// complete. The reply names the record, so a pane shows which one it was for.
class BenchService {
public:
    explicit BenchService(std::uint16_t port) : port_(port) {}
    ~BenchService();
    BenchService(const BenchService&) = delete;
    BenchService& operator=(const BenchService&) = delete;

    bool Start(std::string* error);
    void Stop();
    void SetReplyDelay(DWORD ms);
    // Replies from now on carry this many bytes more, after their text.
    void SetReplyPadding(std::size_t bytes);

    std::size_t ArrivalCount() const;
    std::size_t FinishedCount() const;  // connections the client has closed
    std::vector<Arrival> Arrivals() const;
    Arrival ArrivalAt(std::size_t index) const;
    // Waits without polling; false when the count is not reached in time.
    bool WaitForArrivals(std::size_t count, DWORD timeoutMs) const;
    bool WaitForFinished(std::size_t count, DWORD timeoutMs) const;

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Serve();
    void HandleConnection(SOCKET client);
    bool WaitForCount(bool finished, std::size_t count, DWORD timeoutMs) const;

    std::uint16_t port_;
    e2e::UniqueSocket listener_;
    e2e::UniqueHandle stopEvent_;
    e2e::UniqueHandle changed_;  // pulsed on every arrival and every finish
    e2e::UniqueHandle thread_;
    mutable e2e::CriticalSection lock_;
    std::vector<Arrival> arrivals_;
    std::size_t finished_ = 0;
    DWORD delayMs_ = 0;
    std::size_t paddingBytes_ = 0;
};

// The marker the bench puts into each record: letters and digits only, so it
// stands unescaped in the form body.
std::string BenchId(std::size_t n);
// The first bench id in the text, empty when there is none.
std::string FindBenchId(const std::string& text);

}  // namespace bench
