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

constexpr ExchangeLimits kExchangeLimits{60000, 30000, 30000, 30000, 30000};
constexpr std::uint32_t kExchangeDeadlineMs = kExchangeLimits.deadlineMs;
