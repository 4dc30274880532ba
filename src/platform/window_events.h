#pragma once
#include <cstdint>

// What the windows report. They only tell what happened; the gateway's core
// decides what it means and whether it may run now.
enum class UiCommand {
    ShowSettings,         // the monitor window's "Settings"
    HideToTray,           // the monitor window's "Hide to tray"
    MenuShowMonitor,      // the tray menu's items
    MenuShowSettings,
    MenuHideMonitor,
    MenuExit,
    SettingsSave,         // the settings window's buttons and check box
    SettingsCancel,
    SettingsShowPassword,
};

enum class CloseSource {
    MonitorFrame,   // close box, window menu, Alt+F4
    MonitorOutside, // a close that did not come from the frame: Task Manager, taskkill, an installer
    SettingsFrame,
};

class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void OnCommand(UiCommand command) = 0;
    // A character key that the settings window saw before its focused control.
    virtual void OnSettingsKey(int keyAscii) = 0;
    virtual void OnCloseRequest(CloseSource source) = 0;
    // Windows asks whether the session may end; true lets it.
    virtual bool OnQueryEndSession() = 0;
    // Windows is shutting down or the user is logging off.
    virtual void OnEndSession() = 0;
    // The socket layer's notification as it came: which socket, the event
    // bits and the error part.
    virtual void OnSocketNotification(std::uintptr_t socket, unsigned events, int error) = 0;
    // The mouse message that happened over the tray icon.
    virtual void OnTrayNotification(unsigned mouseMessage) = 0;
    // The shell's taskbar was created again; its icons are gone.
    virtual void OnTaskbarCreated() = 0;
    // The tick that tries the tray icon again while the shell has not taken it.
    virtual void OnTrayRetryTimer() = 0;
};
