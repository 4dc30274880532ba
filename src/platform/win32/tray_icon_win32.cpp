#include "platform/win32/tray_icon_win32.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/control_ids.h"
#include "platform/win32/handles.h"
#include "tray/tray_logic.h"

// Six 4-byte fields and a 64-byte tip: the record every shell version takes.
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first form of the record is 88 bytes");
#endif

void TrayIconWin32::AddTrayIcon() {
    TrayIconData = NOTIFYICONDATAA{};
    TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayIconData.hWnd = window_;
    TrayIconData.uID = 1;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // A private message: mouse movement over the window can never pass for a click on the icon.
    TrayIconData.uCallbackMessage = VANTARY_WM_TRAY;
    TrayIconData.hIcon = icon_;
    const std::string tip = codec_.ToAnsi(tray::TipField(tray::kCredit));
    std::memcpy(TrayIconData.szTip, tip.data(), std::min<std::size_t>(tip.size(), 64));
    // The shell reads a terminated string: the last of the 64 blanks gives way.
    TrayIconData.szTip[63] = '\0';
    filled_ = true;
}

void TrayIconWin32::Add() {
    if (!filled_) AddTrayIcon();
    Shell_NotifyIconA(NIM_ADD, &TrayIconData);
    added_ = true;
}

void TrayIconWin32::Remove() {
    if (!added_) return;
    Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
    added_ = false;
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
