#pragma once
#include <windows.h>
#include <shellapi.h>

#include "platform/monitor_view.h"
#include "platform/text_codec.h"

// The notification-area icon, in the shell's first record form.
class TrayIconWin32 : public TrayIcon {
public:
    TrayIconWin32(const AnsiCodec& codec, HICON icon) : codec_(codec), icon_(icon) {}
    void SetWindow(HWND window) { window_ = window; }
    // AddTrayIcon: fills the record once and adds the icon; later calls
    // (a re-created taskbar) add the same record again.
    void Add() override;
    void Remove() override;
    void ShowMenu() override;

private:
    void AddTrayIcon();
    const AnsiCodec& codec_;
    HICON icon_;
    HWND window_ = nullptr;
    NOTIFYICONDATAA TrayIconData{};
    bool filled_ = false;
    bool added_ = false;
};
