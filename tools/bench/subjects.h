#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "gateway_process.h"
#include "handles.h"

namespace bench {

constexpr char kEmail[] = "bench@example.org";
constexpr char kPassword[] = "bench-app-pass";
constexpr char kCallsign[] = "DL1BEN";
constexpr char kStopWord[] = "VANTARY-BENCH-STOP";
// Tells the floor client the form's fixed text, before any record.
constexpr char kFormWord[] = "VANTARY-BENCH-FORM\n";

// A WSJT-X-style contact of the usual size, told apart by its bench id.
std::string Record(std::size_t n);

// One socket for every datagram, so a send costs only the sendto.
class Sender {
public:
    Sender();
    // The clock reading just before the sendto; negative when it failed.
    double Send(std::uint16_t port, const std::string& bytes);

private:
    e2e::UniqueSocket socket_;
};

// The form word, then the encoded form before the record and after it, one per
// line: the fields and the encoding the gateway and the reference forwarder use.
std::string FormDatagram();

// The folder beside the bench executable, where the build put its programs.
std::wstring BenchDir();

// The real gateway, started from a fresh folder with a settings file naming its port.
class GatewayRun {
public:
    bool Start(std::uint16_t port, const std::wstring& label, std::string* error);
    void Stop();
    std::uint16_t port() const { return port_; }
    DWORD pid() const { return process_.pid(); }
    HANDLE handle() const { return handle_.get(); }
    const std::wstring& folder() const { return folder_->dir(); }
    // From CreateProcess to the port bound, and to the monitor window shown.
    double portUs() const { return portUs_; }
    double windowUs() const { return windowUs_; }

    // Lines in the replies pane: one per upload that completed. -1 when the window does not answer.
    long ReplyLines() const;
    // True when neither pane has anything left to paint.
    bool PanesPainted() const;
    // Waits until the replies pane has that many lines and both panes have
    // painted them: the records are then shown, and the gateway is back in its loop.
    bool WaitForReplyLines(long lines, DWORD timeoutMs) const;
    std::wstring Pane1() const { return process_.Pane1(); }
    std::wstring Pane2() const { return process_.Pane2(); }
    // Characters the two panes hold.
    long long PaneChars() const;
    bool HasBox() const { return process_.HasBox(); }
    HWND monitor() const { return process_.monitor(); }

private:
    std::unique_ptr<e2e::GatewayFolder> folder_;
    e2e::GatewayProcess process_;
    e2e::UniqueHandle handle_;  // with the rights the footprint needs
    std::uint16_t port_ = 0;
    double portUs_ = 0, windowUs_ = 0;
    // The replies counted so far, and how much of the pane's text that covered.
    mutable long long countedChars_ = 0;
    mutable long countedReplies_ = 0;
};

// The reference forwarder, a console program started the same way.
class ReferenceRun {
public:
    ~ReferenceRun() { Stop(); }
    bool Start(std::uint16_t port, std::size_t count, std::string* error);
    void Stop();
    std::uint16_t port() const { return port_; }

private:
    e2e::UniqueHandle process_;
    std::uint16_t port_ = 0;
};

// The empty window program: the time from CreateProcess to its window.
double TimeEmptyWindowStartUs(std::string* error);

// CreateProcess as the harness does it, from the program's own folder.
bool StartProgram(const std::wstring& exe, const std::wstring& args, const std::wstring& dir, DWORD flags,
                  PROCESS_INFORMATION* pi, std::string* error);

}  // namespace bench
