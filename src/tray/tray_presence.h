#pragma once
#include "platform/tray_icon.h"

namespace tray {

// Whether the icon is in the notification area, and getting it there. A shell
// that is still starting at logon, or one that was restarted, may not take the
// icon at once; it is tried again until it is in.
class Presence {
public:
    explicit Presence(TrayIcon& icon) : icon_(icon) {}
    Presence(const Presence&) = delete;
    Presence& operator=(const Presence&) = delete;

    void Start();
    void OnRetryTimer();
    // The shell's taskbar was made anew and its icons are gone.
    void OnTaskbarCreated();
    void Remove();
    // Hiding the monitor window is only safe while the icon can bring it back.
    bool InTray() const { return inTray_; }

private:
    void Settle(bool added);

    TrayIcon& icon_;
    bool started_ = false;
    bool inTray_ = false;
};

}  // namespace tray
