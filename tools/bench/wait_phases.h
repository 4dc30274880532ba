#pragma once
#include <vector>

#include "handles.h"
#include "process_probe.h"

namespace bench {

// Sends WM_NULL to a window every 10 ms from a thread of its own and keeps
// each round trip: how soon the window answers while the gateway waits.
class AnswerProbe {
public:
    AnswerProbe() = default;
    ~AnswerProbe() { Stop(); }
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;
    void Start(HWND window);
    // The round trips in microseconds; one that went unanswered for 5 s counts as 5 s.
    std::vector<double> Stop();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    HWND window_ = nullptr;
    e2e::UniqueHandle stop_;
    e2e::UniqueHandle thread_;
    std::vector<double> roundTripsUs_;  // the thread's until it has ended
};

struct BigReplyResult {
    std::size_t replyBytes = 0;
    LinuxSample before, after;
    // From the big reply's record held by the service to the next record held
    // (sent right behind it): the reply's whole cost to the upload that follows.
    double nextPostedUs = 0;
    std::string error;
};

}  // namespace bench
