#include "phases.h"

#include <algorithm>
#include <cstdio>

#include "clock.h"
#include "paths.h"

namespace bench {
namespace {

constexpr DWORD kArrivalTimeoutMs = 30000;
constexpr DWORD kSettleTimeoutMs = 60000;
constexpr std::size_t kWarmUp = 5;
constexpr DWORD kCoolDownMs = 500;

void Progress(const char* what, std::size_t done, std::size_t total) {
    std::printf("  %s: %zu/%zu\n", what, done, total);
    std::fflush(stdout);
}

Footprint Measure(const GatewayRun& gateway, unsigned long linuxPid) {
    return Footprint{SampleProcess(gateway.handle()), SampleLinux(linuxPid)};
}

// How often each bench id below `count` (counted from `first`) shows in the text.
std::size_t CountOnce(const std::wstring& pane, std::size_t first, std::size_t count) {
    const std::string text = e2e::Narrow(pane);
    std::vector<unsigned> seen(count, 0);
    for (std::size_t at = text.find("BENCHID"); at != std::string::npos; at = text.find("BENCHID", at + 1)) {
        const std::string id = FindBenchId(text.substr(at, 13));
        if (id.empty()) continue;
        const std::size_t n = std::strtoull(id.c_str() + 7, nullptr, 10);
        if (n >= first && n < first + count) ++seen[n - first];
    }
    return static_cast<std::size_t>(std::count(seen.begin(), seen.end(), 1u));
}

}  // namespace

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least p of the values at or below it.
    std::size_t rank = static_cast<std::size_t>(p * static_cast<double>(values.size()) + 0.999999);
    rank = std::clamp<std::size_t>(rank, 1, values.size());
    return values[rank - 1];
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double InterquartileMean(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t cut = values.size() / 4;
    double sum = 0;
    for (std::size_t i = cut; i < values.size() - cut; ++i) sum += values[i];
    return sum / static_cast<double>(values.size() - 2 * cut);
}

template <class Settle>
LatencyRun Phases::Latency(std::uint16_t port, Settle settle, HWND window) {
    LatencyRun run;
    std::size_t uploads = 0;
    // One record: its latency, or a negative number when it never arrived.
    auto one = [&]() -> double {
        const std::size_t index = service_.ArrivalCount();
        const double sentAt = sender_.Send(port, Record(nextId_++));
        if (sentAt < 0) return -1;
        if (!service_.WaitForArrivals(index + 1, kArrivalTimeoutMs)) return -1;
        ++uploads;
        return service_.ArrivalAt(index).atUs - sentAt;
    };
    for (std::size_t i = 0; i < kWarmUp; ++i) {
        if (one() < 0 || !settle(uploads)) { run.error = "warm-up record did not go through"; return run; }
    }
    for (std::size_t i = 0; i < o_.latencyRecords; ++i) {
        const double us = one();
        if (us < 0) ++run.lost; else run.idleUs.push_back(us);
        if (!settle(uploads)) { run.error = "not settled after record " + std::to_string(i); return run; }
    }
    AnswerProbe probe;
    if (window) probe.Start(window);
    for (std::size_t i = 0; i < o_.latencyRecords; ++i) {
        const double us = one();
        if (us < 0) ++run.lost; else run.pacedUs.push_back(us);
    }
    if (window) run.pacedAnswerUs = probe.Stop();
    if (!settle(uploads)) run.error = "not settled after the paced records";
    return run;
}

LatencyRun Phases::GatewayLatency() {
    std::printf("latency: gateway, %zu + %zu records\n", o_.latencyRecords, o_.latencyRecords);
    std::fflush(stdout);
    GatewayRun gateway;
    LatencyRun run;
    if (!gateway.Start(NextPort(), L"bench-latency", &run.error)) return run;
    run = Latency(gateway.port(), [&](std::size_t uploads) {
        return gateway.WaitForReplyLines(static_cast<long>(uploads), kSettleTimeoutMs);
    }, gateway.monitor());
    if (gateway.HasBox()) run.error += " (a message box is open)";
    gateway.Stop();
    return run;
}

LatencyRun Phases::ReferenceLatency() {
    std::printf("latency: reference forwarder, %zu + %zu records\n", o_.latencyRecords, o_.latencyRecords);
    std::fflush(stdout);
    ReferenceRun reference;
    LatencyRun run;
    if (!reference.Start(NextPort(), kWarmUp + 2 * o_.latencyRecords, &run.error)) return run;
    const std::size_t finishedBefore = service_.FinishedCount();
    run = Latency(reference.port(), [&](std::size_t uploads) {
        return service_.WaitForFinished(finishedBefore + uploads, kSettleTimeoutMs);
    });
    reference.Stop();
    return run;
}

std::optional<LatencyRun> Phases::FloorLatency() {
    if (!o_.floorPort) return std::nullopt;
    std::printf("latency: native floor client, %zu + %zu records\n", o_.latencyRecords, o_.latencyRecords);
    std::fflush(stdout);
    LatencyRun run;
    if (sender_.Send(o_.floorPort, FormDatagram()) < 0) {
        run.error = "cannot send the form to the floor client";
        return run;
    }
    const std::size_t finishedBefore = service_.FinishedCount();
    run = Latency(o_.floorPort, [&](std::size_t uploads) {
        return service_.WaitForFinished(finishedBefore + uploads, kSettleTimeoutMs);
    });
    sender_.Send(o_.floorPort, kStopWord);
    return run;
}

BurstResult Phases::Burst() {
    std::printf("burst: %zu records back to back, the service taking %u ms per reply\n", o_.burstRecords,
                o_.burstReplyDelayMs);
    std::fflush(stdout);
    BurstResult r;
    GatewayRun gateway;
    if (!gateway.Start(NextPort(), L"bench-burst", &r.error)) return r;
    service_.SetReplyDelay(o_.burstReplyDelayMs);
    const std::size_t base = service_.ArrivalCount();
    const std::size_t firstId = nextId_;
    const double started = NowUs();
    for (std::size_t i = 0; i < o_.burstRecords; ++i)
        if (sender_.Send(gateway.port(), Record(nextId_++)) >= 0) ++r.sent;
    // Waits as long as records keep coming in.
    for (std::size_t have = 0;;) {
        if (service_.WaitForArrivals(base + o_.burstRecords, 1000)) break;
        const std::size_t now = service_.ArrivalCount() - base;
        if (now == have && !service_.WaitForArrivals(base + now + 1, kArrivalTimeoutMs)) break;
        if (now / 100 != have / 100) Progress("burst", now, o_.burstRecords);
        have = now;
    }
    r.arrived = service_.ArrivalCount() - base;
    gateway.WaitForReplyLines(static_cast<long>(r.arrived), kSettleTimeoutMs);
    r.seconds = (NowUs() - started) / 1e6;
    service_.SetReplyDelay(0);
    const auto arrivals = service_.Arrivals();
    std::string last;
    for (std::size_t i = base; i < arrivals.size(); ++i) {
        if (!last.empty() && arrivals[i].marker <= last) ++r.outOfOrder;
        last = arrivals[i].marker;
    }
    r.onceInRecords = CountOnce(gateway.Pane1(), firstId, o_.burstRecords);
    r.onceInReplies = CountOnce(gateway.Pane2(), firstId, o_.burstRecords);
    r.box = gateway.HasBox();
    gateway.Stop();
    return r;
}

GrowthResult Phases::Growth() {
    std::printf("growth and footprint: %us idle, then %zu records in batches of %zu\n", o_.idleSeconds,
                o_.growthRecords, o_.growthBatch);
    std::fflush(stdout);
    GrowthResult r;
    r.records = o_.growthRecords;
    r.window = o_.growthWindow;
    r.handleCheckAfter = o_.handleCheckAfter;
    r.idleSeconds = o_.idleSeconds;
    GatewayRun gateway;
    if (!gateway.Start(NextPort(), L"bench-growth", &r.error)) return r;
    r.startPortUs = gateway.portUs();
    const unsigned long linuxPid = FindLinuxPid(gateway.folder());
    r.atStart = Measure(gateway, linuxPid);

    // Idle: nothing is sent and no window is touched.
    r.idleStart = Measure(gateway, linuxPid);
    Sleep(o_.idleSeconds * 1000);
    r.idleEnd = Measure(gateway, linuxPid);
    r.beforeUploads = Measure(gateway, linuxPid);

    std::vector<double> perRecordMs;
    const std::size_t base = service_.ArrivalCount();
    const double started = NowUs();
    std::size_t done = 0;
    while (done < o_.growthRecords) {
        std::size_t batch = std::min(o_.growthBatch, o_.growthRecords - done);
        // The first record goes alone, so that what the first upload opens
        // once can be told from what each upload might leak; batches end
        // exactly at the handle check.
        if (done == 0) batch = 1;
        if (done < o_.handleCheckAfter) batch = std::min(batch, o_.handleCheckAfter - done);
        const double batchStart = NowUs();
        for (std::size_t i = 0; i < batch; ++i) sender_.Send(gateway.port(), Record(nextId_++));
        const bool arrived = service_.WaitForArrivals(base + done + batch, kArrivalTimeoutMs + 1000 * DWORD(batch));
        const bool shown = arrived && gateway.WaitForReplyLines(static_cast<long>(done + batch), kSettleTimeoutMs);
        const double ms = (NowUs() - batchStart) / 1000.0 / static_cast<double>(batch);
        if (!shown) {
            r.error = "batch at record " + std::to_string(done) + " did not go through" +
                      (gateway.HasBox() ? " (a message box is open)" : "");
            break;
        }
        perRecordMs.insert(perRecordMs.end(), batch, ms);
        done += batch;
        if (done == 1) {
            r.afterFirst = Measure(gateway, linuxPid);
            r.paneCharsAfterFirst = gateway.PaneChars();
        }
        if (done == o_.handleCheckAfter) {
            r.afterCheck = Measure(gateway, linuxPid);
            r.paneCharsAtCheck = gateway.PaneChars();
        }
        if (done % 1000 == 0 || done == o_.growthRecords) Progress("growth", done, o_.growthRecords);
    }
    r.seconds = (NowUs() - started) / 1e6;
    r.arrived = service_.ArrivalCount() - base;
    r.atEnd = Measure(gateway, linuxPid);
    r.paneCharsAtEnd = gateway.PaneChars();
    if (perRecordMs.size() >= 2 * o_.growthWindow && o_.growthWindow) {
        double first = 0, last = 0;
        for (std::size_t i = 0; i < o_.growthWindow; ++i) {
            first += perRecordMs[i];
            last += perRecordMs[perRecordMs.size() - 1 - i];
        }
        r.firstMsPerRecord = first / static_cast<double>(o_.growthWindow);
        r.lastMsPerRecord = last / static_cast<double>(o_.growthWindow);
    }
    gateway.Stop();
    return r;
}

StartupResult Phases::Startup() {
    std::printf("start-up: %u runs each\n", o_.starts);
    std::fflush(stdout);
    StartupResult r;
    for (unsigned i = 0; i < o_.starts; ++i) {
        // Alternating who goes first, so neither always starts just after the other ended.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (i % 2 == 0)) {
                GatewayRun gateway;
                if (!gateway.Start(NextPort(), L"bench-start", &r.error)) return r;
                r.gatewayPortUs.push_back(gateway.portUs());
                r.gatewayWindowUs.push_back(gateway.windowUs());
                gateway.Stop();
                // A killed program's last windows and threads go on ending for a while and hold
                // up whatever starts meanwhile: that wait is no one's start-up.
                Sleep(kCoolDownMs);
            } else {
                const double empty = TimeEmptyWindowStartUs(&r.error);
                if (empty < 0) return r;
                r.emptyWindowUs.push_back(empty);
                Sleep(kCoolDownMs);
            }
        }
        std::printf("  start %u: gateway port %.0f ms, window %.0f ms; empty window %.0f ms\n", i + 1,
                    r.gatewayPortUs.back() / 1000, r.gatewayWindowUs.back() / 1000, r.emptyWindowUs.back() / 1000);
        std::fflush(stdout);
    }
    return r;
}

}  // namespace bench
