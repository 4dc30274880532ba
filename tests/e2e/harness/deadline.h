#pragma once
#include "win.h"

namespace e2e {

// Time-outs for things the program must do promptly; generous because Wine
// under Xvfb on a loaded machine is slow, and a pass costs only the real time.
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kReplyTimeoutMs = 15000;
// How long a "nothing happens" check watches before it believes it: what the
// gateway does on an event it does within milliseconds, a box or a request
// included, so a second catches it even on a loaded machine.
constexpr DWORD kQuietPeriodMs = 1000;

// Polls until the condition holds or the time is up; returns the last answer.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs, DWORD pollMs = 20) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(pollMs);
    }
}

// True when the condition stays false for the whole period.
template <class Condition>
bool StaysFalse(Condition condition, DWORD periodMs) {
    return !WaitUntil(condition, periodMs);
}

}  // namespace e2e
