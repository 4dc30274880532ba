#pragma once

// The notification-area icon. It keeps its record from adding to removing.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // True when the shell took the icon; a shell still starting may refuse it.
    virtual bool Add() = 0;
    // Adds the icon again, whether or not the shell kept an earlier one.
    virtual bool AddAgain() = 0;
    // Removes whatever an add may have left in the tray, even one the shell
    // reported as failed (a timed-out add can still have added it).
    virtual void Remove() = 0;
    virtual void ShowMenu() = 0;
    // Asks for a tick every few seconds while on, to try the icon again.
    virtual void SetRetryTimer(bool on) = 0;
};
