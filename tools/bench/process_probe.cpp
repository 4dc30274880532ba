#include "process_probe.h"

#include <iphlpapi.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "paths.h"

namespace bench {
namespace {

double FileTimeMs(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 10000.0;
}

// The process's entry in NtQuerySystemInformation's list.
void SampleProcessList(DWORD pid, WindowsSample& s) {
    using Query = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return;
    std::vector<unsigned char> buffer(256 * 1024);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status =
            query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(std::max<std::size_t>(needed + 64 * 1024, buffer.size() * 2));
            continue;
        }
        if (status < 0) return;
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
            if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == pid) {
                if (entry->HandleCount) s.listedHandles = entry->HandleCount;
                if (entry->VirtualMemoryCounters.PagefileUsage)
                    s.listedPrivateBytes = entry->VirtualMemoryCounters.PagefileUsage;
                return;
            }
            if (!entry->NextEntryOffset) return;
            at += entry->NextEntryOffset;
        }
    }
}

}  // namespace

WindowsSample SampleProcess(HANDLE process) {
    WindowsSample s;
    PROCESS_MEMORY_COUNTERS_EX mem{};
    mem.cb = sizeof mem;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem)) {
        if (mem.PrivateUsage) s.privateBytes = mem.PrivateUsage;
        if (mem.WorkingSetSize) s.workingSet = mem.WorkingSetSize;
    }
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) s.cpuMs = FileTimeMs(kernel) + FileTimeMs(user);
    if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) s.gdiObjects = n;
    if (DWORD n = GetGuiResources(process, GR_USEROBJECTS)) s.userObjects = n;
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles) s.kernelHandles = handles;
    SampleProcessList(GetProcessId(process), s);
    return s;
}

namespace {
// One family's UDP table, read until the buffer is large enough.
template <class Table>
bool PortInFamilyTable(std::uint16_t port, ULONG family) {
    std::vector<unsigned char> buffer(64 * 1024);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD rc = GetExtendedUdpTable(buffer.data(), &size, FALSE, family, UDP_TABLE_BASIC, 0);
        if (rc == ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(size + 4096);
            continue;
        }
        if (rc != NO_ERROR) return false;
        const auto* table = reinterpret_cast<const Table*>(buffer.data());
        for (DWORD i = 0; i < table->dwNumEntries; ++i)
            if (ntohs(static_cast<u_short>(table->table[i].dwLocalPort)) == port) return true;
        return false;
    }
    return false;
}
}  // namespace

// The gateway listens on one dual-stack socket, which only the IPv6 table lists.
bool UdpPortInTable(std::uint16_t port) {
    return PortInFamilyTable<MIB_UDPTABLE>(port, AF_INET) || PortInFamilyTable<MIB_UDP6TABLE>(port, AF_INET6);
}

std::uint64_t FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return 0;
    return (static_cast<std::uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

}  // namespace bench
