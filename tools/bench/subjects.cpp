#include "subjects.h"

#include "../../src/platform/win32/control_ids.h"
#include "gateway/form_encoding.h"
#include "gateway/main_form.h"
#include "bench_service.h"
#include "clock.h"
#include "deadline.h"
#include "paths.h"
#include "process_probe.h"
#include "ui_probe.h"
#include "udp_sender.h"

namespace bench {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;

std::string Settings(std::uint16_t port) {
    return std::string("[Credentials]\r\nemail=") + kEmail + "\r\npassword=" + kPassword + "\r\ncallsign=" +
           kCallsign + "\r\n[GatewayUDPsettings]\r\nHostPortNumber=" + std::to_string(port) +
           "\r\n[FormLocation]\r\nFormTop=1200\r\nFormLeft=1500\r\n";
}

// Waits for the port to show in the table, reading it as often as it can.
bool WaitForPort(std::uint16_t port, HANDLE process, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!UdpPortInTable(port)) {
        if (GetTickCount64() >= end) return false;
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return false;
        // A busy loop would take the core the starting program needs.
        Sleep(1);
    }
    return true;
}

}  // namespace

std::string Record(std::size_t n) {
    const std::string id = BenchId(n);
    const std::string call = "DL" + std::to_string(n % 10) + "B" + static_cast<char>('A' + n % 26) +
                             static_cast<char>('A' + n / 26 % 26);
    return "<call:" + std::to_string(call.size()) + ">" + call +
           " <gridsquare:4>JO62 <mode:3>FT8 <rst_sent:3>-10 <rst_rcvd:3>-12 <qso_date:8>20240512 "
           "<time_on:6>123000 <qso_date_off:8>20240512 <time_off:6>123100 <band:3>20m <freq:9>14.074512 "
           "<station_callsign:6>DL1BEN <my_gridsquare:6>JO62QM <comment:" +
           std::to_string(id.size()) + ">" + id + " <eor>";
}

Sender::Sender() : socket_(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) {
    // A burst of a thousand must leave this side whole.
    int size = 8 * 1024 * 1024;
    setsockopt(socket_.get(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size);
}

double Sender::Send(std::uint16_t port, const std::string& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const double at = NowUs();
    const int sent = sendto(socket_.get(), bytes.data(), static_cast<int>(bytes.size()), 0,
                            reinterpret_cast<sockaddr*>(&to), sizeof to);
    return sent == static_cast<int>(bytes.size()) ? at : -1;
}

std::string FormDatagram() {
    const std::string head = "email=" + EncodeFormBytes(kEmail) + "&password=" + EncodeFormBytes(kPassword) +
                             "&callsign=" + EncodeFormBytes(kCallsign);
    const std::string tail = "&api=" + EncodeFormBytes(e2e::Narrow(kGatewayApiKey));
    return kFormWord + head + "\n" + tail;
}

std::wstring BenchDir() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

bool StartProgram(const std::wstring& exe, const std::wstring& args, const std::wstring& dir, DWORD flags,
                  PROCESS_INFORMATION* pi, std::string* error) {
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, flags, nullptr, dir.c_str(), &si, pi)) {
        *error = "CreateProcess " + e2e::Narrow(exe) + ": " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(pi->hThread);
    return true;
}

bool GatewayRun::Start(std::uint16_t port, const std::wstring& label, std::string* error) {
    port_ = port;
    if (UdpPortInTable(port)) { *error = "UDP port " + std::to_string(port) + " is already in use"; return false; }
    folder_ = std::make_unique<e2e::GatewayFolder>(label);
    if (!folder_->ok()) { *error = "cannot copy the gateway into a fresh folder"; return false; }
    if (!folder_->WriteSettings(Settings(port))) { *error = "cannot write the settings file"; return false; }
    std::wstring why;
    const double started = NowUs();
    if (!process_.Start(*folder_, &why)) { *error = e2e::Narrow(why); return false; }
    handle_.reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, process_.pid()));
    if (!WaitForPort(port, handle_.get(), kStartTimeoutMs)) {
        *error = "the gateway did not bind UDP port " + std::to_string(port);
        return false;
    }
    portUs_ = NowUs() - started;
    if (!process_.WaitForMonitor(kStartTimeoutMs)) { *error = "no monitor window"; return false; }
    windowUs_ = NowUs() - started;
    // Only now that the gateway holds it is our own bind a safe check.
    if (!e2e::IsUdpPortHeld(port)) { *error = "the port is in the table but not held"; return false; }
    return true;
}

void GatewayRun::Stop() {
    process_.Kill();
    handle_.reset();
}

long GatewayRun::ReplyLines() const {
    HWND pane = GetDlgItem(process_.monitor(), IDC_TEXT2);
    bool ok = false;
    const LRESULT length = e2e::SendRemote(pane, WM_GETTEXTLENGTH, 0, 0, &ok);
    if (!ok) return -1;
    if (length == countedChars_) return countedReplies_;
    // The panes wrap: their line count is of lines shown, not of replies.
    // Each reply ends in CR LF; only the text says how many have come.
    const std::wstring text = process_.Pane2();
    for (std::size_t at = text.find(L"\r\n", static_cast<std::size_t>(countedChars_)); at != std::wstring::npos;
         at = text.find(L"\r\n", at + 2))
        ++countedReplies_;
    // The next search starts before a CR LF that a later append may complete.
    countedChars_ = text.size() >= 1 && text.back() == L'\r' ? static_cast<long long>(text.size()) - 1
                                                              : static_cast<long long>(text.size());
    return countedReplies_;
}

bool GatewayRun::PanesPainted() const {
    for (int id : {IDC_TEXT1, IDC_TEXT2}) {
        RECT dirty;
        if (GetUpdateRect(GetDlgItem(process_.monitor(), id), &dirty, FALSE)) return false;
    }
    return true;
}

bool GatewayRun::WaitForReplyLines(long lines, DWORD timeoutMs) const {
    if (!e2e::WaitUntil([&] { return ReplyLines() >= lines && PanesPainted(); }, timeoutMs, 1)) return false;
    // A paint marks its pane clean as it begins; a message sent now is
    // answered only once the gateway is back in its loop.
    bool ok = false;
    e2e::SendRemote(process_.monitor(), WM_NULL, 0, 0, &ok);
    return ok;
}

long long GatewayRun::PaneChars() const {
    long long total = 0;
    for (int id : {IDC_TEXT1, IDC_TEXT2})
        total += e2e::SendRemote(GetDlgItem(process_.monitor(), id), WM_GETTEXTLENGTH, 0, 0);
    return total;
}

bool ReferenceRun::Start(std::uint16_t port, std::size_t count, std::string* error) {
    port_ = port;
    if (UdpPortInTable(port)) { *error = "UDP port " + std::to_string(port) + " is already in use"; return false; }
    const std::wstring dir = e2e::MakeFreshFolder(L"bench-reference");
    const std::wstring exe = dir + L"\\vantary-reference-forwarder.exe";
    if (dir.empty() || !CopyFileW((BenchDir() + L"\\vantary-reference-forwarder.exe").c_str(), exe.c_str(), FALSE)) {
        *error = "cannot copy the reference forwarder";
        return false;
    }
    const std::wstring args = std::to_wstring(port) + L" " + std::to_wstring(count) + L" " + e2e::Widen(kEmail) +
                              L" " + e2e::Widen(kPassword) + L" " + e2e::Widen(kCallsign);
    PROCESS_INFORMATION pi{};
    if (!StartProgram(exe, args, dir, 0, &pi, error)) return false;
    process_.reset(pi.hProcess);
    if (!WaitForPort(port, process_.get(), kStartTimeoutMs)) {
        *error = "the reference forwarder did not bind UDP port " + std::to_string(port);
        return false;
    }
    return true;
}

void ReferenceRun::Stop() {
    if (!process_) return;
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        Sender().Send(port_, kStopWord);
        if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
    process_.reset();
}

double TimeEmptyWindowStartUs(std::string* error) {
    const std::wstring dir = e2e::MakeFreshFolder(L"bench-empty");
    const std::wstring exe = dir + L"\\vantary-empty-window.exe";
    if (dir.empty() || !CopyFileW((BenchDir() + L"\\vantary-empty-window.exe").c_str(), exe.c_str(), FALSE)) {
        *error = "cannot copy the empty window program";
        return -1;
    }
    PROCESS_INFORMATION pi{};
    const double started = NowUs();
    if (!StartProgram(exe, L"", dir, 0, &pi, error)) return -1;
    e2e::UniqueHandle process(pi.hProcess);
    const bool shown = e2e::WaitUntil(
        [&] { return e2e::FindProcessWindow(pi.dwProcessId, L"VantaryBenchEmptyWindow", nullptr, false) != nullptr; },
        kStartTimeoutMs, 1);
    const double took = NowUs() - started;
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    if (!shown) { *error = "the empty window never appeared"; return -1; }
    return took;
}

}  // namespace bench
