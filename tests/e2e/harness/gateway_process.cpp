#include "gateway_process.h"

#include "../../../src/platform/win32/control_ids.h"
#include "deadline.h"
#include "paths.h"

namespace e2e {

GatewayFolder::GatewayFolder(const std::wstring& label) : dir_(MakeFreshFolder(label)) {
    if (dir_.empty()) return;
    std::wstring target = dir_ + L"\\vantary-gateway.exe";
    if (CopyFileW(GatewayExePath().c_str(), target.c_str(), FALSE)) exePath_ = target;
}

std::wstring GatewayFolder::settingsPath() const { return dir_ + L"\\vantary-gateway.ini"; }

bool GatewayFolder::WriteSettings(const std::string& bytes) const { return WriteFileBytes(settingsPath(), bytes); }

bool GatewayFolder::SettingsExist() const { return FileExists(settingsPath()); }

std::string GatewayFolder::ReadSettings() const { return ReadFileBytes(settingsPath(), nullptr); }

GatewayProcess::~GatewayProcess() { Kill(); }

bool GatewayProcess::Start(const GatewayFolder& folder, std::wstring* error) {
    std::wstring cmd = L"\"" + folder.exePath() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(folder.exePath().c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.dir().c_str(), &si, &pi)) {
        *error = L"CreateProcess " + folder.exePath() + L": " + std::to_wstring(GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    return true;
}

bool GatewayProcess::IsRunning() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool GatewayProcess::WaitForExit(DWORD timeoutMs) const {
    return !process_ || WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

void GatewayProcess::Kill() {
    if (IsRunning()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 10000);
    }
}

HWND GatewayProcess::WaitForMonitor(DWORD timeoutMs) {
    monitor_ = WaitForProcessWindow(pid_, VANTARY_MONITOR_CLASS, kMonitorCaption, timeoutMs);
    return monitor_;
}

bool GatewayProcess::CloseAndConfirm(std::wstring* error) {
    if (!monitor_) { *error = L"no monitor window"; return false; }
    // The close box's way in; a bare WM_CLOSE is a close from outside, which asks nothing.
    // A close while an upload still waits for its reply is ignored, as under a
    // box: pressed again until the question comes.
    std::optional<MessageBoxView> box;
    for (int tries = 0; tries < 15 && !box; ++tries) {
        PostMessageW(monitor_, WM_SYSCOMMAND, SC_CLOSE, 0);
        box = WaitForBox(1000);
    }
    if (!box) { *error = L"no question after SC_CLOSE"; return false; }
    if (!box->hasYes) { *error = L"the box has no Yes: " + box->text; return false; }
    ClickButton(box->box, IDYES);
    if (!WaitForExit(15000)) { *error = L"still running after Yes"; return false; }
    return true;
}

std::wstring GatewayProcess::Pane1() const { return ControlText(monitor_, IDC_TEXT1); }
std::wstring GatewayProcess::Pane2() const { return ControlText(monitor_, IDC_TEXT2); }

}  // namespace e2e
