#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "phases.h"

namespace bench {

struct Sizes {
    std::uint64_t gateway = 0, reference = 0, emptyWindow = 0;
};

struct Results {
    Options options;
    std::string wine;  // the Wine version the run used
    LatencyRun gatewayLatency, referenceLatency;
    std::optional<LatencyRun> floorLatency;
    BurstResult burst;
    GrowthResult growth;
    StartupResult startup;
    BigReplyResult bigReply;
    Sizes sizes;
};

// One Markdown table with every figure, the reference beside it and the aim.
std::string RenderReport(const Results& r);

}  // namespace bench
