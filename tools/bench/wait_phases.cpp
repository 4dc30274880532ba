#include "wait_phases.h"

#include <cstdio>

#include "clock.h"
#include "phases.h"

namespace bench {

void AnswerProbe::Start(HWND window) {
    window_ = window;
    roundTripsUs_.clear();
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, &AnswerProbe::ThreadMain, this, 0, nullptr));
}

std::vector<double> AnswerProbe::Stop() {
    if (thread_) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    return roundTripsUs_;
}

DWORD WINAPI AnswerProbe::ThreadMain(LPVOID self) {
    auto& probe = *static_cast<AnswerProbe*>(self);
    while (WaitForSingleObject(probe.stop_.get(), 10) == WAIT_TIMEOUT) {
        const double sent = NowUs();
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutW(probe.window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
        probe.roundTripsUs_.push_back(answered ? NowUs() - sent : 5e6);
    }
    return 0;
}

BigReplyResult Phases::BigReply() {
    constexpr std::size_t kReplyBytes = 10 * 1000 * 1000;
    constexpr DWORD kTimeoutMs = 120000;
    std::printf("big reply: one reply of %zu bytes, then the next record\n", kReplyBytes);
    std::fflush(stdout);
    BigReplyResult r;
    r.replyBytes = kReplyBytes;
    GatewayRun gateway;
    if (!gateway.Start(NextPort(), L"bench-big-reply", &r.error)) return r;
    const unsigned long linuxPid = FindLinuxPid(gateway.folder());
    for (long shown = 1; shown <= 3; ++shown) {  // warm, as after a few ordinary records
        if (sender_.Send(gateway.port(), Record(nextId_++)) < 0 || !gateway.WaitForReplyLines(shown, kTimeoutMs)) {
            r.error = "warm-up record not shown";
            return r;
        }
    }
    r.before = SampleLinux(linuxPid);
    // The big reply's record and the next one right behind it, waiting in the socket.
    service_.SetReplyPadding(kReplyBytes);
    const std::size_t index = service_.ArrivalCount();
    sender_.Send(gateway.port(), Record(nextId_++));
    if (!service_.WaitForArrivals(index + 1, kTimeoutMs)) {
        r.error = "the big reply's record never arrived";
        return r;
    }
    service_.SetReplyPadding(0);
    sender_.Send(gateway.port(), Record(nextId_++));
    if (!service_.WaitForArrivals(index + 2, kTimeoutMs)) {
        r.error = "the record after the big reply never arrived";
        return r;
    }
    r.nextPostedUs = service_.ArrivalAt(index + 1).atUs - service_.ArrivalAt(index).atUs;
    if (!gateway.WaitForReplyLines(5, kTimeoutMs)) {
        r.error = "the replies were not shown";
        return r;
    }
    r.after = SampleLinux(linuxPid);
    if (gateway.HasBox()) r.error = "a message box is open";
    gateway.Stop();
    return r;
}

}  // namespace bench
