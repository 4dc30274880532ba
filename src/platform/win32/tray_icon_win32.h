#pragma once
#include <windows.h>
#include <shellapi.h>

#include "platform/ansi_codec.h"
#include "platform/tray_icon.h"
#include "platform/win32/handles.h"

// The notification-area icon, in the shell's first record form. It owns its
// place in the tray: whatever was added is removed when it goes.
class TrayIconWin32 : public TrayIcon {
public:
    TrayIconWin32(const AnsiCodec& codec, HICON icon) : codec_(&codec), icon_(icon) {}
    ~TrayIconWin32() override { Remove(); }
    TrayIconWin32(TrayIconWin32&& other) noexcept;
    TrayIconWin32& operator=(TrayIconWin32&& other) noexcept;
    TrayIconWin32(const TrayIconWin32&) = delete;
    TrayIconWin32& operator=(const TrayIconWin32&) = delete;

    void SetWindow(HWND window) { window_ = window; }
    // AddTrayIcon: fills the record once and adds the icon.
    bool Add() override;
    bool AddAgain() override;
    void Remove() override;
    void ShowMenu() override;
    void SetRetryTimer(bool on) override;

private:
    void AddTrayIcon();
    // The shell's DLL is loaded at the first add, after the port is bound.
    bool Notify(DWORD message);
    const AnsiCodec* codec_;
    HICON icon_;
    HWND window_ = nullptr;
    NOTIFYICONDATAA TrayIconData{};
    bool filled_ = false;  // an add was tried: the shell may hold the icon
    handles::Module shell_;
    decltype(&::Shell_NotifyIconA) notify_ = nullptr;
};
