#pragma once
#include <cstdint>

// How long one upload may take. The window waits for the whole exchange up
// to the deadline; each blocking step has a limit of its own, well short of
// it, so that a worker the window stopped waiting for ends soon after.
struct ExchangeLimits {
    std::uint32_t deadlineMs;
    std::uint32_t resolveMs;
    std::uint32_t connectMs;
    std::uint32_t sendMs;
    std::uint32_t receiveMs;  // each read, and the wait for the reply's headers
};

#ifndef VANTARY_SHORT_TIMEOUTS
constexpr ExchangeLimits kExchangeLimits{60000, 30000, 30000, 30000, 30000};
#else
// The end-to-end tests wait these out: their builds wait a quarter as long.
// Their slowest deliberate reply (6 s) stays within each step.
constexpr ExchangeLimits kExchangeLimits{15000, 8000, 8000, 8000, 8000};
#endif
constexpr std::uint32_t kExchangeDeadlineMs = kExchangeLimits.deadlineMs;
