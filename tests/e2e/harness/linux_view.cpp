#include "linux_view.h"

#include <cstdlib>

#include "paths.h"
#include "win.h"

namespace e2e {
namespace {

constexpr double kLinuxTickMs = 10.0;  // USER_HZ is 100 on Linux

std::string ReadLinuxFile(const std::string& path) {
    return ReadFileBytes(ToWindowsPath(path), nullptr);
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
    HANDLE h = FindFirstFileW((ToWindowsPath(linuxDir) + L"\\*").c_str(), &fd);
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

unsigned long FindLinuxPid(const std::wstring& folder) {
    // Only the folder's own name: Wine may show the path under another drive or case.
    const std::wstring leaf = folder.substr(folder.find_last_of(L"\\/") + 1);
    const std::string needle = Lower(Narrow(leaf));
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    char ownPrefix[1024] = "";
    const DWORD prefixLength = GetEnvironmentVariableA("WINEPREFIX", ownPrefix, sizeof ownPrefix);
    const std::string prefix = prefixLength < sizeof ownPrefix ? std::string(ownPrefix, prefixLength) : std::string();
    unsigned long found = 0;
    unsigned long firstMatch = 0;  // should the environment not show the prefix
    do {
        wchar_t* end = nullptr;
        const unsigned long pid = std::wcstoul(fd.cFileName, &end, 10);
        if (!pid || *end) continue;
        std::string cmdline = ReadLinuxFile("/proc/" + std::to_string(pid) + "/cmdline");
        for (auto& c : cmdline)
            if (c == '\0') c = ' ';
        // Case differs between the path we made and the one Wine reports.
        if (Lower(cmdline).find(needle) == std::string::npos) continue;
        if (!firstMatch) firstMatch = pid;
        // Another checkout's run may start a gateway of the same test at the
        // same time, in a prefix of its own.
        if (!prefix.empty()) {
            std::string environment = ReadLinuxFile("/proc/" + std::to_string(pid) + "/environ");
            if (environment.find("WINEPREFIX=" + prefix + '\0') == std::string::npos) continue;
        }
        found = pid;
        break;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found ? found : firstMatch;
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

}  // namespace e2e
