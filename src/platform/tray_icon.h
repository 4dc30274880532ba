#pragma once

// The notification-area icon. It keeps its record from adding to removing.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void Add() = 0;
    // The shell's taskbar was made anew: the icon is added again, whether or
    // not the shell kept it.
    virtual void AddAgain() = 0;
    virtual void Remove() = 0;
    virtual void ShowMenu() = 0;
};
