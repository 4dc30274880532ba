#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "win.h"

namespace bench {

// What Windows says about another process; a field is empty when the call
// failed or (under Wine) is not implemented and answered 0.
struct WindowsSample {
    std::optional<std::uint64_t> privateBytes;
    std::optional<std::uint64_t> workingSet;
    std::optional<double> cpuMs;
    std::optional<DWORD> gdiObjects;
    std::optional<DWORD> userObjects;
    std::optional<DWORD> kernelHandles;
};
WindowsSample SampleProcess(HANDLE process);

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

// True when a socket on this machine has the UDP port bound. Reading the table
// never takes the port from the program that is about to bind it.
bool UdpPortInTable(std::uint16_t port);

std::uint64_t FileBytes(const std::wstring& path);

}  // namespace bench
