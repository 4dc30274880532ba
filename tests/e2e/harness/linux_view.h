#pragma once
#include <cstdint>
#include <string>

namespace e2e {

// The same process seen from Linux, where Wine runs it as a plain process:
// CPU time and wake-ups (context switches) of its first thread, the UI thread.
struct LinuxSample {
    bool ok = false;
    double cpuMs = 0;            // utime + stime of the whole process
    double uiThreadCpuMs = 0;
    std::uint64_t uiThreadWakeups = 0;  // voluntary context switches
    std::uint64_t threads = 0;
    std::uint64_t residentKiB = 0;
    std::uint64_t privateKiB = 0;  // anonymous resident memory: what is the process's alone
    std::uint64_t openFds = 0;
};
// The Linux pid of the Wine process whose command line names that folder, or 0.
unsigned long FindLinuxPid(const std::wstring& folder);
LinuxSample SampleLinux(unsigned long pid);

}  // namespace e2e
