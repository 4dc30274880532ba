#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "linux_view.h"
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
    // From the system's process list, which Wine fills where the calls above
    // answer 0 for another process.
    std::optional<DWORD> listedHandles;
    std::optional<std::uint64_t> listedPrivateBytes;
};
WindowsSample SampleProcess(HANDLE process);

using e2e::FindLinuxPid;
using e2e::LinuxSample;
using e2e::SampleLinux;

// True when a socket on this machine has the UDP port bound. Reading the table
// never takes the port from the program that is about to bind it.
bool UdpPortInTable(std::uint16_t port);

std::uint64_t FileBytes(const std::wstring& path);

}  // namespace bench
