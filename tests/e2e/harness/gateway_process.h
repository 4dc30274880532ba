#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "handles.h"
#include "ui_probe.h"

namespace e2e {

constexpr const wchar_t* kMonitorCaption = L"WSJT-X Vantary Gateway Monitor";
constexpr const wchar_t* kSettingsCaption = L"WSJT-X Vantary Gateway Settings";

// A folder of one test's own holding a copy of the gateway and, if the test
// wants one, its settings file.
class GatewayFolder {
public:
    explicit GatewayFolder(const std::wstring& label);
    bool ok() const { return !exePath_.empty(); }
    const std::wstring& dir() const { return dir_; }
    const std::wstring& exePath() const { return exePath_; }
    std::wstring settingsPath() const;

    bool WriteSettings(const std::string& bytes) const;
    bool SettingsExist() const;
    std::string ReadSettings() const;  // empty when there is none

private:
    std::wstring dir_;
    std::wstring exePath_;
};

// One run of the gateway. Killed on destruction if it is still alive.
class GatewayProcess {
public:
    GatewayProcess() = default;
    ~GatewayProcess();
    GatewayProcess(const GatewayProcess&) = delete;
    GatewayProcess& operator=(const GatewayProcess&) = delete;

    bool Start(const GatewayFolder& folder, std::wstring* error);
    DWORD pid() const { return pid_; }
    bool IsRunning() const;
    bool WaitForExit(DWORD timeoutMs) const;
    void Kill();

    // The visible monitor window of this process; the gateway shows it only
    // after its start-up (bind included) is done.
    HWND WaitForMonitor(DWORD timeoutMs);
    HWND monitor() const { return monitor_; }

    std::optional<MessageBoxView> WaitForBox(DWORD timeoutMs = 15000) const {
        return WaitForMessageBox(pid_, timeoutMs);
    }
    bool HasBox() const { return HasMessageBox(pid_); }

    // Close from the frame and answer "Yes"; true once the process has ended.
    bool CloseAndConfirm(std::wstring* error);

    std::wstring Pane1() const;
    std::wstring Pane2() const;

private:
    UniqueHandle process_;
    DWORD pid_ = 0;
    HWND monitor_ = nullptr;
};

}  // namespace e2e
