#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench_options.h"
#include "bench_service.h"
#include "process_probe.h"
#include "subjects.h"
#include "wait_phases.h"

namespace bench {

struct LatencyRun {
    std::vector<double> idleUs;   // next record sent once the previous was shown/answered
    std::vector<double> pacedUs;  // next record sent as soon as the previous reached the service
    std::vector<double> pacedAnswerUs;  // WM_NULL round trips to the window during the paced records
    std::size_t lost = 0;
    std::string error;
};

struct BurstResult {
    std::size_t sent = 0, arrived = 0, outOfOrder = 0;
    std::size_t onceInRecords = 0, onceInReplies = 0;
    double seconds = 0;
    bool box = false;
    std::string error;
};

struct Footprint {
    WindowsSample sample;
    LinuxSample onLinux;
};

struct GrowthResult {
    std::size_t records = 0, window = 0, handleCheckAfter = 0, arrived = 0;
    double firstMsPerRecord = 0, lastMsPerRecord = 0, seconds = 0;
    Footprint atStart, idleStart, idleEnd, beforeUploads, afterFirst, afterCheck, atEnd;
    unsigned idleSeconds = 0;
    long long paneCharsAtEnd = 0, paneCharsAtCheck = 0, paneCharsAfterFirst = 0;
    double startPortUs = 0;
    std::string error;
};

struct StartupResult {
    std::vector<double> gatewayPortUs, gatewayWindowUs, emptyWindowUs;
    std::string error;
};

class Phases {
public:
    Phases(const Options& options, BenchService& service) : o_(options), service_(service) {}

    LatencyRun GatewayLatency();
    LatencyRun ReferenceLatency();
    // Empty when no floor client was started (no --floor-port).
    std::optional<LatencyRun> FloorLatency();
    BurstResult Burst();
    GrowthResult Growth();
    StartupResult Startup();
    BigReplyResult BigReply();

private:
    template <class Settle>
    LatencyRun Latency(std::uint16_t port, Settle settle, HWND window = nullptr);
    std::uint16_t NextPort() { return static_cast<std::uint16_t>(o_.firstUdpPort + portsUsed_++); }

    const Options& o_;
    BenchService& service_;
    Sender sender_;
    std::size_t nextId_ = 0;
    unsigned portsUsed_ = 0;
};

double Percentile(std::vector<double> values, double p);
double Median(std::vector<double> values);
// The mean of the middle half: the outliers of a busy machine left out.
double InterquartileMean(std::vector<double> values);

}  // namespace bench
