#include "process_probe.h"

#include <iphlpapi.h>
#include <psapi.h>

#include <cstdlib>
#include <vector>

#include "paths.h"

namespace bench {
namespace {

constexpr double kLinuxTickMs = 10.0;  // USER_HZ is 100 on Linux

double FileTimeMs(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 10000.0;
}

std::string ReadLinuxFile(const std::string& path) {
    return e2e::ReadFileBytes(e2e::ToWindowsPath(path), nullptr);
}

// utime and stime, fields 14 and 15 of /proc/.../stat, after the "(comm)".
double StatCpuMs(const std::string& stat) {
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    const char* p = stat.c_str() + close + 2;
    double ticks = 0;
    for (int field = 3; *p && field <= 15; ++field) {
        if (field >= 14) ticks += std::strtod(p, nullptr);
        while (*p && *p != ' ') ++p;
        while (*p == ' ') ++p;
    }
    return ticks * kLinuxTickMs;
}

std::uint64_t StatusValue(const std::string& status, const char* key) {
    const std::size_t at = status.find(key);
    if (at == std::string::npos) return 0;
    return std::strtoull(status.c_str() + at + std::char_traits<char>::length(key), nullptr, 10);
}

std::uint64_t CountEntries(const std::string& linuxDir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((e2e::ToWindowsPath(linuxDir) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    std::uint64_t n = 0;
    do {
        if (fd.cFileName[0] != L'.') ++n;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

std::string Lower(std::string text) {
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
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
    return s;
}

unsigned long FindLinuxPid(const std::wstring& folder) {
    // Only the folder's own name: Wine may show the path under another drive or case.
    const std::wstring leaf = folder.substr(folder.find_last_of(L"\\/") + 1);
    const std::string needle = Lower(e2e::Narrow(leaf));
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    unsigned long found = 0;
    do {
        wchar_t* end = nullptr;
        const unsigned long pid = std::wcstoul(fd.cFileName, &end, 10);
        if (!pid || *end) continue;
        std::string cmdline = ReadLinuxFile("/proc/" + std::to_string(pid) + "/cmdline");
        for (auto& c : cmdline)
            if (c == '\0') c = ' ';
        // Case differs between the path we made and the one Wine reports.
        if (Lower(cmdline).find(needle) != std::string::npos) {
            found = pid;
            break;
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found;
}

LinuxSample SampleLinux(unsigned long pid) {
    LinuxSample s;
    if (!pid) return s;
    const std::string dir = "/proc/" + std::to_string(pid);
    const std::string stat = ReadLinuxFile(dir + "/stat");
    if (stat.empty()) return s;
    s.ok = true;
    s.cpuMs = StatCpuMs(stat);
    const std::string task = dir + "/task/" + std::to_string(pid);
    s.uiThreadCpuMs = StatCpuMs(ReadLinuxFile(task + "/stat"));
    s.uiThreadWakeups = StatusValue(ReadLinuxFile(task + "/status"), "voluntary_ctxt_switches:");
    const std::string status = ReadLinuxFile(dir + "/status");
    s.threads = StatusValue(status, "Threads:");
    s.residentKiB = StatusValue(status, "VmRSS:");
    s.privateKiB = StatusValue(status, "RssAnon:");
    s.openFds = CountEntries(dir + "/fd");
    return s;
}

bool UdpPortInTable(std::uint16_t port) {
    std::vector<unsigned char> buffer(64 * 1024);
    for (int attempt = 0; attempt < 4; ++attempt) {
        ULONG size = static_cast<ULONG>(buffer.size());
        const DWORD rc = GetUdpTable(reinterpret_cast<MIB_UDPTABLE*>(buffer.data()), &size, FALSE);
        if (rc == ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(size + 4096);
            continue;
        }
        if (rc != NO_ERROR) return false;
        const auto* table = reinterpret_cast<const MIB_UDPTABLE*>(buffer.data());
        for (DWORD i = 0; i < table->dwNumEntries; ++i)
            if (ntohs(static_cast<u_short>(table->table[i].dwLocalPort)) == port) return true;
        return false;
    }
    return false;
}

std::uint64_t FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return 0;
    return (static_cast<std::uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

}  // namespace bench
