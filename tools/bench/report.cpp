#include "report.h"

#include <cstdarg>
#include <cstdio>

namespace bench {
namespace {

std::string Format(const char* fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

std::string Ms(double us) { return Format("%.1f ms", us / 1000.0); }
std::string MiB(double bytes) { return Format("%.2f MiB", bytes / (1024.0 * 1024.0)); }
std::string YesNo(bool met) { return met ? "met" : "**missed**"; }

template <class T>
std::string Opt(const std::optional<T>& v, std::string (*show)(double)) {
    return v ? show(static_cast<double>(*v)) : std::string("n/a (0 under Wine)");
}
std::string Count(double v) { return Format("%.0f", v); }
std::string CpuMs(double v) { return Format("%.0f ms", v); }

class Table {
public:
    void Section(const std::string& title) { out_ += "| **" + title + "** | | | | | |\n"; }
    void Row(const std::string& what, const std::string& gateway, const std::string& reference = "",
             const std::string& aim = "", const std::string& verdict = "") {
        Row3(what, gateway, reference, "", aim, verdict);
    }
    // A row with a figure for the native floor client too.
    void Row3(const std::string& what, const std::string& gateway, const std::string& reference,
              const std::string& floor, const std::string& aim = "", const std::string& verdict = "") {
        out_ += "| " + what + " | " + gateway + " | " + reference + " | " + floor + " | " + aim + " | " + verdict +
                " |\n";
    }
    std::string Text() const { return out_; }

private:
    std::string out_ = "| Figure | Gateway | Reference | Floor | Aim | |\n|---|---|---|---|---|---|\n";
};

std::string Pair(const std::optional<DWORD>& a, const std::optional<DWORD>& b) {
    if (!a || !b) return "n/a (0 under Wine)";
    return Format("%lu → %lu", static_cast<unsigned long>(*a), static_cast<unsigned long>(*b));
}

// The floor's figure, or why there is none.
std::string FloorMs(const std::vector<double>* floor, double p) {
    return floor ? Ms(Percentile(*floor, p)) : std::string("not run");
}

void LatencyRows(Table& t, const char* mode, const std::vector<double>& g, const std::vector<double>& ref,
                 const std::vector<double>* floor) {
    const double g50 = Percentile(g, 0.5), r50 = Percentile(ref, 0.5);
    const double g99 = Percentile(g, 0.99), r99 = Percentile(ref, 0.99);
    t.Row3(Format("Latency p50, %s (%zu / %zu / %zu records)", mode, g.size(), ref.size(), floor ? floor->size() : 0),
           Ms(g50), Ms(r50), FloorMs(floor, 0.5));
    t.Row3(Format("Latency p99, %s", mode), Ms(g99), Ms(r99), FloorMs(floor, 0.99));
    const double ratio = r50 > 0 ? g50 / r50 : 0;
    t.Row(Format("Latency p50 ratio gateway / reference, %s", mode), Format("%.2f", ratio), "1.00", "≤ 1.2",
          YesNo(ratio > 0 && ratio <= 1.2));
}

// The window's answers while uploads wait, the paced p99 against the
// reference's, and what a 10 MB reply costs.
void WaitRows(Table& t, const Results& r) {
    const auto& answers = r.gatewayLatency.pacedAnswerUs;
    t.Section("The window's answer time while uploads wait: WM_NULL every 10 ms during the paced records");
    if (answers.empty()) {
        t.Row("Round trips", "none measured");
    } else {
        const double p99 = Percentile(answers, 0.99);
        const double longest = Percentile(answers, 1.0);
        t.Row(Format("p50 / p99 (%zu round trips)", answers.size()),
              Ms(Percentile(answers, 0.5)) + " / " + Ms(p99), "no window", "p99 ≤ 50 ms", YesNo(p99 <= 50000));
        t.Row("Longest", Ms(longest), "no window", "≤ 100 ms", YesNo(longest <= 100000));
    }
    const double g99 = Percentile(r.gatewayLatency.pacedUs, 0.99), r99 = Percentile(r.referenceLatency.pacedUs, 0.99);
    const double ratio = r99 > 0 ? g99 / r99 : 0;
    t.Row("Latency p99 ratio gateway / reference, paced by arrival", Format("%.2f", ratio), "1.00", "≤ 1.2",
          YesNo(ratio > 0 && ratio <= 1.2));
    const auto& big = r.bigReply;
    t.Section(Format("A %zu-byte reply, then the next record right behind it", big.replyBytes));
    if (big.before.ok && big.after.ok)
        t.Row("Private memory before → after (Linux RssAnon)",
              MiB(double(big.before.privateKiB) * 1024) + " → " + MiB(double(big.after.privateKiB) * 1024));
    t.Row("From the big reply's record to the next record held by the service", Ms(big.nextPostedUs));
}

// Differences of the p50s, idle then paced.
std::string Split(double idle, double paced) { return Format("%.1f / %.1f ms", idle / 1000.0, paced / 1000.0); }

}  // namespace

std::string RenderReport(const Results& r) {
    Table t;
    const auto& gl = r.gatewayLatency;
    const auto& rl = r.referenceLatency;
    const LatencyRun* fl = r.floorLatency ? &*r.floorLatency : nullptr;
    t.Section("Latency: sendto → the service holds the whole request");
    LatencyRows(t, "idle", gl.idleUs, rl.idleUs, fl ? &fl->idleUs : nullptr);
    LatencyRows(t, "paced by arrival", gl.pacedUs, rl.pacedUs, fl ? &fl->pacedUs : nullptr);
    if (gl.lost || rl.lost || (fl && fl->lost))
        t.Row3("Latency records lost", Format("%zu", gl.lost), Format("%zu", rl.lost), fl ? Format("%zu", fl->lost) : "",
               "0");

    const auto p50 = [](const std::vector<double>& v) { return Percentile(v, 0.5); };
    t.Section("Where a record's time goes: differences of the p50s, idle / paced");
    if (fl) {
        t.Row3("Floor: stunnel, the stand-in and a fresh TLS 1.2 connection from a native client", "", "",
               Split(p50(fl->idleUs), p50(fl->pacedUs)));
        t.Row3("WinHTTP under Wine: reference − floor", "",
               Split(p50(rl.idleUs) - p50(fl->idleUs), p50(rl.pacedUs) - p50(fl->pacedUs)), "");
    }
    t.Row("The gateway's own cost per record: gateway − reference (paced: with the previous record's pane appends)",
          Split(p50(gl.idleUs) - p50(rl.idleUs), p50(gl.pacedUs) - p50(rl.pacedUs)));

    const auto& b = r.burst;
    const std::size_t n = r.options.burstRecords;
    t.Section(Format("Burst: %zu records back to back, %u ms per reply", n, r.options.burstReplyDelayMs));
    t.Row("Records reaching the service", Format("%zu of %zu", b.arrived, n), "", Format("%zu of %zu", n, n),
          YesNo(b.arrived == n));
    t.Row("In the order sent", b.outOfOrder ? Format("no: %zu out of order", b.outOfOrder) : "yes", "", "in order",
          YesNo(b.outOfOrder == 0 && b.arrived == n));
    t.Row("Shown exactly once in the records pane", Format("%zu of %zu", b.onceInRecords, n), "",
          Format("%zu of %zu", n, n), YesNo(b.onceInRecords == n));
    t.Row("Shown exactly once in the replies pane", Format("%zu of %zu", b.onceInReplies, n), "",
          Format("%zu of %zu", n, n), YesNo(b.onceInReplies == n));
    t.Row("Time until the last reply was shown", Format("%.1f s (%.1f ms per record)", b.seconds,
                                                        b.arrived ? b.seconds * 1000 / double(b.arrived) : 0.0));
    if (b.box) t.Row("A message box was open at the end", "yes", "", "no", YesNo(false));

    const auto& g = r.growth;
    t.Section(Format("Growth: %zu records in batches of %zu", g.records, r.options.growthBatch));
    t.Row(Format("Time per record, first %zu", g.window), Format("%.2f ms", g.firstMsPerRecord));
    t.Row(Format("Time per record, last %zu", g.window), Format("%.2f ms", g.lastMsPerRecord));
    const double growth = g.firstMsPerRecord > 0 ? g.lastMsPerRecord / g.firstMsPerRecord : 0;
    t.Row("Ratio last / first", Format("%.2f", growth), "", "≤ 1.2", YesNo(growth > 0 && growth <= 1.2));
    t.Row("Records through / total time", Format("%zu of %zu in %.0f s", g.arrived, g.records, g.seconds), "",
          Format("%zu of %zu", g.records, g.records), YesNo(g.arrived == g.records));

    t.Section("Footprint");
    t.Row("Executable size", Format("%llu bytes", static_cast<unsigned long long>(r.sizes.gateway)),
          Format("%llu bytes (forwarder); %llu (empty window)", static_cast<unsigned long long>(r.sizes.reference),
                 static_cast<unsigned long long>(r.sizes.emptyWindow)));
    const double paneBytes = double(g.paneCharsAtEnd) * 2;
    t.Row("Private bytes after start (GetProcessMemoryInfo)", Opt(g.atStart.sample.privateBytes, MiB));
    t.Row(Format("Private bytes after %zu records", g.arrived), Opt(g.atEnd.sample.privateBytes, MiB));
    if (g.atStart.sample.listedPrivateBytes && g.atEnd.sample.listedPrivateBytes)
        t.Row(Format("Private bytes after start → after %zu records (system process list)", g.arrived),
              MiB(double(*g.atStart.sample.listedPrivateBytes)) + " → " + MiB(double(*g.atEnd.sample.listedPrivateBytes)));
    if (g.atStart.onLinux.ok) {
        t.Row("Private memory after start (Linux RssAnon)", MiB(double(g.atStart.onLinux.privateKiB) * 1024));
        t.Row(Format("Private memory after %zu records (Linux RssAnon)", g.arrived),
              MiB(double(g.atEnd.onLinux.privateKiB) * 1024));
    }
    double grew = -1;
    if (g.atStart.sample.privateBytes && g.atEnd.sample.privateBytes)
        grew = double(*g.atEnd.sample.privateBytes) - double(*g.atStart.sample.privateBytes);
    else if (g.atStart.onLinux.ok)
        grew = (double(g.atEnd.onLinux.privateKiB) - double(g.atStart.onLinux.privateKiB)) * 1024;
    if (grew >= -0.5 * 1024 * 1024 * 1024) {
        const double ratio = paneBytes ? grew / paneBytes : 0.0;
        t.Row("Growth of private memory / bytes of pane text (UTF-16), from start: with what the first "
              "upload sets up once (its thread, the TLS stack)",
              Format("%s / %s (%.2f×)", MiB(grew).c_str(), MiB(paneBytes).c_str(), ratio), "", "≤ 3×",
              YesNo(paneBytes > 0 && ratio <= 3));
    }
    // What each record costs: from the first record on, against the text shown since.
    if (g.afterFirst.onLinux.ok && g.atEnd.onLinux.ok && g.paneCharsAtEnd > g.paneCharsAfterFirst) {
        const double perRecords = (double(g.atEnd.onLinux.privateKiB) - double(g.afterFirst.onLinux.privateKiB)) * 1024;
        const double shownSince = double(g.paneCharsAtEnd - g.paneCharsAfterFirst) * 2;
        const double ratio = perRecords / shownSince;
        t.Row("Growth of private memory / pane text (UTF-16), from the first record on (Linux RssAnon)",
              Format("%s / %s (%.2f×)", MiB(perRecords).c_str(), MiB(shownSince).c_str(), ratio), "", "≤ 3×",
              YesNo(ratio <= 3));
        t.Row("Private memory after the first record (Linux RssAnon)",
              MiB(double(g.afterFirst.onLinux.privateKiB) * 1024));
    }
    t.Row("Pane text at the end (WM_GETTEXTLENGTH × 2)", MiB(double(g.paneCharsAtEnd) * 2));
    t.Row("Working set after start → end", Opt(g.atStart.sample.workingSet, MiB) + " → " +
                                               Opt(g.atEnd.sample.workingSet, MiB));
    if (g.atStart.onLinux.ok)
        t.Row("Resident (Linux VmRSS) after start → end",
              MiB(double(g.atStart.onLinux.residentKiB) * 1024) + " → " + MiB(double(g.atEnd.onLinux.residentKiB) * 1024));
    std::string idleCpu = "n/a";
    if (g.idleStart.sample.cpuMs && g.idleEnd.sample.cpuMs) idleCpu = CpuMs(*g.idleEnd.sample.cpuMs - *g.idleStart.sample.cpuMs);
    t.Row(Format("CPU time in %u s idle (GetProcessTimes)", g.idleSeconds), idleCpu, "", "0 ms");
    if (g.idleStart.onLinux.ok) {
        const double linuxCpu = g.idleEnd.onLinux.cpuMs - g.idleStart.onLinux.cpuMs;
        t.Row(Format("CPU time in %u s idle (Linux utime+stime, 10 ms ticks)", g.idleSeconds), CpuMs(linuxCpu), "",
              "0 ms", YesNo(linuxCpu == 0));
        const double wakeups = double(g.idleEnd.onLinux.uiThreadWakeups) - double(g.idleStart.onLinux.uiThreadWakeups);
        t.Row(Format("UI thread wake-ups in %u s idle (voluntary context switches)", g.idleSeconds),
              Count(wakeups), "", "0", YesNo(wakeups == 0));
    } else {
        t.Row("Linux view of the process", "not found");
    }
    const std::string check = Format("before → after %zu uploads", g.handleCheckAfter);
    t.Row("GDI objects " + check, Pair(g.beforeUploads.sample.gdiObjects, g.afterCheck.sample.gdiObjects), "",
          "equal");
    t.Row("USER objects " + check, Pair(g.beforeUploads.sample.userObjects, g.afterCheck.sample.userObjects), "",
          "equal");
    const bool kernelEqual = g.beforeUploads.sample.kernelHandles && g.afterCheck.sample.kernelHandles &&
                             *g.beforeUploads.sample.kernelHandles == *g.afterCheck.sample.kernelHandles;
    t.Row("Kernel handles " + check + " (GetProcessHandleCount)",
          Pair(g.beforeUploads.sample.kernelHandles, g.afterCheck.sample.kernelHandles), "", "equal",
          g.beforeUploads.sample.kernelHandles ? YesNo(kernelEqual) : "");
    // What the first upload opens for good (WinHTTP, TLS) is not a leak: the
    // counts that must stay equal are those after it.
    const std::string series = Format("before any upload, after the first, after %zu, after %zu",
                                      g.handleCheckAfter, g.arrived);
    const auto lists = [](const Footprint& f) { return f.sample.listedHandles; };
    if (lists(g.beforeUploads) && lists(g.afterFirst) && lists(g.afterCheck) && lists(g.atEnd)) {
        const bool flat = *lists(g.afterFirst) == *lists(g.afterCheck) && *lists(g.afterCheck) == *lists(g.atEnd);
        t.Row("Kernel handles (system process list): " + series,
              Format("%lu, %lu, %lu, %lu", static_cast<unsigned long>(*lists(g.beforeUploads)),
                     static_cast<unsigned long>(*lists(g.afterFirst)), static_cast<unsigned long>(*lists(g.afterCheck)),
                     static_cast<unsigned long>(*lists(g.atEnd))),
              "", "equal after the first", YesNo(flat));
    } else {
        t.Row("Kernel handles (system process list)", "n/a");
    }
    if (g.beforeUploads.onLinux.ok) {
        auto fdsThreads = [](const Footprint& f) {
            return Format("%llu / %llu", static_cast<unsigned long long>(f.onLinux.openFds),
                          static_cast<unsigned long long>(f.onLinux.threads));
        };
        const bool flat = g.afterFirst.onLinux.openFds == g.afterCheck.onLinux.openFds &&
                          g.afterCheck.onLinux.openFds == g.atEnd.onLinux.openFds &&
                          g.afterFirst.onLinux.threads == g.atEnd.onLinux.threads;
        t.Row("Linux file descriptors / threads: " + series,
              fdsThreads(g.beforeUploads) + ", " + fdsThreads(g.afterFirst) + ", " + fdsThreads(g.afterCheck) + ", " +
                  fdsThreads(g.atEnd),
              "", "equal after the first", YesNo(flat));
    }

    WaitRows(t, r);

    const auto& s = r.startup;
    t.Section(Format("Start-up: median of %zu, from CreateProcess", s.gatewayPortUs.size()));
    t.Row("To the UDP port bound (gateway) / to the window (empty program)", Ms(Median(s.gatewayPortUs)),
          Ms(Median(s.emptyWindowUs)));
    // Each start set against the empty window's start beside it, so that the machine's load
    // drifting over the run falls on both sides of a ratio.
    std::vector<double> pairRatios;
    for (std::size_t i = 0; i < s.gatewayPortUs.size() && i < s.emptyWindowUs.size(); ++i)
        if (s.emptyWindowUs[i] > 0) pairRatios.push_back(s.gatewayPortUs[i] / s.emptyWindowUs[i]);
    const double startRatio = InterquartileMean(pairRatios);
    t.Row("Ratio port bound / empty window: each start's pair, mean of the middle half", Format("%.2f", startRatio),
          "1.00", "≤ 1.5", YesNo(startRatio > 0 && startRatio <= 1.5));
    t.Row("To the monitor window shown", Ms(Median(s.gatewayWindowUs)));

    std::string out = "# Vantary Gateway benchmarks\n\n";
    out += Format("%s run under %s; the service a stand-in on 127.0.0.1 behind stunnel (TLS), answering in one "
                  "write. Floor: a native Linux client (python3 ssl) posting the same form in one write over a "
                  "fresh TLS connection.\n\n",
                  r.options.quick ? "Quick" : "Full", r.wine.c_str());
    out += t.Text();
    std::string errors;
    const std::string noFloorError;
    for (const auto* e : {&gl.error, &rl.error, fl ? &fl->error : &noFloorError, &b.error, &g.error, &s.error, &r.bigReply.error})
        if (!e->empty()) errors += "- " + *e + "\n";
    if (!errors.empty()) out += "\nErrors during the run:\n" + errors;
    return out;
}

}  // namespace bench
