#include "platform/win32/tray_icon_win32.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/win32/control_ids.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "tray/tray_logic.h"

namespace {
constexpr UINT kRetryEveryMs = 3000;
}  // namespace

// Six 4-byte fields and a 64-byte tip: the record every shell version takes.
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first form of the record is 88 bytes");
#endif

TrayIconWin32::TrayIconWin32(TrayIconWin32&& other) noexcept
    : codec_(other.codec_), icon_(other.icon_), window_(other.window_), TrayIconData(other.TrayIconData),
      filled_(std::exchange(other.filled_, false)), shell_(std::move(other.shell_)),
      notify_(std::exchange(other.notify_, nullptr)) {}

TrayIconWin32& TrayIconWin32::operator=(TrayIconWin32&& other) noexcept {
    if (this != &other) {
        Remove();
        codec_ = other.codec_;
        icon_ = other.icon_;
        window_ = other.window_;
        TrayIconData = other.TrayIconData;
        filled_ = std::exchange(other.filled_, false);
        shell_ = std::move(other.shell_);
        notify_ = std::exchange(other.notify_, nullptr);
    }
    return *this;
}

void TrayIconWin32::AddTrayIcon() {
    TrayIconData = NOTIFYICONDATAA{};
    TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayIconData.hWnd = window_;
    TrayIconData.uID = 1;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // A private message: mouse movement over the window can never pass for a click on the icon.
    TrayIconData.uCallbackMessage = VANTARY_WM_TRAY;
    TrayIconData.hIcon = icon_;
    const std::string tip = codec_->ToAnsi(tray::TipField(tray::kCredit));
    std::memcpy(TrayIconData.szTip, tip.data(), std::min<std::size_t>(tip.size(), 64));
    // The shell reads a terminated string: the last of the 64 blanks gives way.
    TrayIconData.szTip[63] = '\0';
    filled_ = true;
}

bool TrayIconWin32::Notify(DWORD message) {
    if (!notify_) {
        if (!shell_) shell_.reset(LoadSystemLibrary(L"shell32.dll"));
        if (!shell_) return false;
        notify_ = reinterpret_cast<decltype(notify_)>(
            reinterpret_cast<void (*)()>(GetProcAddress(shell_.get(), "Shell_NotifyIconA")));
        if (!notify_) return false;
    }
    return notify_(message, &TrayIconData) != FALSE;
}

bool TrayIconWin32::Add() {
    if (!filled_) AddTrayIcon();
    return Notify(NIM_ADD);
}

bool TrayIconWin32::AddAgain() {
    if (!filled_) return Add();
    // A shell that kept the icon would refuse a second one with the same id.
    Notify(NIM_DELETE);
    return Notify(NIM_ADD);
}

void TrayIconWin32::Remove() {
    if (!filled_) return;
    if (window_) KillTimer(window_, VANTARY_TIMER_TRAY_RETRY);
    // Also after a failed add: one that timed out may still have reached the shell.
    Notify(NIM_DELETE);
    filled_ = false;
}

void TrayIconWin32::SetRetryTimer(bool on) {
    if (!window_) return;
    // A shell still starting at logon takes a few seconds; Explorer's restart tells us itself.
    if (on) SetTimer(window_, VANTARY_TIMER_TRAY_RETRY, kRetryEveryMs, nullptr);
    else KillTimer(window_, VANTARY_TIMER_TRAY_RETRY);
}

void TrayIconWin32::ShowMenu() {
    handles::Menu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, IDM_SHOW_MONITOR, L"Show Vantary Gateway Monitor");
    AppendMenuW(menu.get(), MF_STRING, IDM_SHOW_SETTINGS, L"Show Settings");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDM_HIDE_POPUP, L"Hide this popup menu");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDM_EXIT, L"Exit Vantary Gateway");
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(window_);
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x, at.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
}
