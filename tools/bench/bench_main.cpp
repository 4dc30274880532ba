// Measures the real gateway from outside under the same Wine, beside a
// reference forwarder and an empty window program, and prints one table.
#include <cstdio>

#include "bench_options.h"
#include "bench_service.h"
#include "paths.h"
#include "phases.h"
#include "process_probe.h"
#include "report.h"
#include "subjects.h"

namespace {

std::string WineVersion() {
    using Version = const char*(__cdecl*)();
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto get = ntdll ? reinterpret_cast<Version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                     : nullptr;
    return get ? std::string("Wine ") + get() : std::string("Windows");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bench::Options options;
    std::string error;
    if (!bench::ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s\n%s", error.c_str(), bench::Usage().c_str());
        return 2;
    }
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 3;

    bench::BenchService service(options.servicePort);
    if (!service.Start(&error)) {
        std::fprintf(stderr, "stand-in service: %s\n", error.c_str());
        return 3;
    }

    bench::Results results;
    results.options = options;
    results.wine = WineVersion();
    results.sizes.gateway = bench::FileBytes(e2e::GatewayExePath());
    results.sizes.reference = bench::FileBytes(bench::BenchDir() + L"\\vantary-reference-forwarder.exe");
    results.sizes.emptyWindow = bench::FileBytes(bench::BenchDir() + L"\\vantary-empty-window.exe");

    bench::Phases phases(options, service);
    results.startup = phases.Startup();
    results.floorLatency = phases.FloorLatency();
    results.referenceLatency = phases.ReferenceLatency();
    results.gatewayLatency = phases.GatewayLatency();
    results.burst = phases.Burst();
    results.growth = phases.Growth();
    results.bigReply = phases.BigReply();
    service.Stop();

    const std::string report = bench::RenderReport(results);
    std::printf("\n%s", report.c_str());
    std::fflush(stdout);
    if (!options.outPath.empty() && !e2e::WriteFileBytes(e2e::ToWindowsPath(options.outPath), report)) {
        std::fprintf(stderr, "cannot write %s\n", options.outPath.c_str());
        return 1;
    }
    WSACleanup();
    return 0;
}
