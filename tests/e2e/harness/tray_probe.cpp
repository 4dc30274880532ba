#include "tray_probe.h"

#include <shellapi.h>

#include "deadline.h"
#include "ui_probe.h"

namespace e2e {
namespace {
NOTIFYICONDATAW Record(HWND owner, UINT id) {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof record;
    record.hWnd = owner;
    record.uID = id;
    return record;
}
}  // namespace

bool TrayIconPresent(HWND owner, UINT id) {
    NOTIFYICONDATAW record = Record(owner, id);
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

bool RemoveTrayIcon(HWND owner, UINT id) {
    NOTIFYICONDATAW record = Record(owner, id);
    return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

std::wstring TrayTipOfOnlyIcon(DWORD timeoutMs) {
    // Wine's tray without a desktop's taskbar: a window of its own, the first
    // icon at its top left.
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (!tray) tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return {};
    POINT over{8, 8};
    ClientToScreen(tray, &over);
    SetCursorPos(over.x + 1, over.y + 1);
    SetCursorPos(over.x, over.y);
    std::wstring tip;
    WaitUntil([&] {
        for (HWND h = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); h;
             h = FindWindowExW(nullptr, h, L"tooltips_class32", nullptr)) {
            if (!IsWindowVisible(h)) continue;
            tip = WindowText(h);
            if (!tip.empty()) return true;
        }
        return false;
    }, timeoutMs, 50);
    SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);
    return tip;
}

}  // namespace e2e
