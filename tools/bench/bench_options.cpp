#include "bench_options.h"

#include <cwchar>

#include "paths.h"

namespace bench {
namespace {

bool Number(const wchar_t* text, unsigned long long* value) {
    if (!text || !*text) return false;
    wchar_t* end = nullptr;
    *value = std::wcstoull(text, &end, 10);
    return *end == L'\0';
}

}  // namespace

std::string Usage() {
    return "usage: vantary-bench [--quick] [--out FILE] [--latency N] [--burst N] [--burst-delay MS]\n"
           "                     [--growth N] [--window N] [--batch N] [--handles-after N] [--idle S]\n"
           "                     [--starts N] [--service-port P] [--udp-port P] [--floor-port P]\n";
}

bool ParseOptions(int argc, wchar_t** argv, Options* o, std::string* error) {
    // --quick first, so that counts given beside it still win.
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--quick") == 0) {
            o->quick = true;
            o->latencyRecords = 30;
            o->burstRecords = 100;
            o->growthRecords = 400;
            o->growthWindow = 100;
            o->handleCheckAfter = 100;
            o->idleSeconds = 5;
        }
    }
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--quick") continue;
        if (i + 1 >= argc) { *error = "missing value after " + e2e::Narrow(arg); return false; }
        const wchar_t* value = argv[++i];
        if (arg == L"--out") { o->outPath = e2e::Narrow(value); continue; }
        unsigned long long n = 0;
        if (!Number(value, &n)) { *error = "not a number after " + e2e::Narrow(arg); return false; }
        if (arg == L"--latency") o->latencyRecords = n;
        else if (arg == L"--burst") o->burstRecords = n;
        else if (arg == L"--burst-delay") o->burstReplyDelayMs = static_cast<unsigned>(n);
        else if (arg == L"--growth") o->growthRecords = n;
        else if (arg == L"--window") o->growthWindow = n;
        else if (arg == L"--batch") o->growthBatch = n;
        else if (arg == L"--handles-after") o->handleCheckAfter = n;
        else if (arg == L"--idle") o->idleSeconds = static_cast<unsigned>(n);
        else if (arg == L"--starts") o->starts = static_cast<unsigned>(n);
        else if (arg == L"--service-port") o->servicePort = static_cast<std::uint16_t>(n);
        else if (arg == L"--udp-port") o->firstUdpPort = static_cast<std::uint16_t>(n);
        else if (arg == L"--floor-port") o->floorPort = static_cast<std::uint16_t>(n);
        else { *error = "unknown option " + e2e::Narrow(arg); return false; }
    }
    if (o->growthBatch == 0 || o->starts == 0 || o->latencyRecords == 0) { *error = "counts must be above 0"; return false; }
    if (o->growthWindow * 2 > o->growthRecords) { *error = "--window must be at most half of --growth"; return false; }
    if (o->handleCheckAfter > o->growthRecords) { *error = "--handles-after must be at most --growth"; return false; }
    return true;
}

}  // namespace bench
