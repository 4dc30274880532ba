#pragma once
#include <string>
#include <vector>

#include "platform/screen_rect.h"
#include "platform/settings_view.h"

// The values the settings window opens with.
struct SettingsValues {
    std::wstring Version;
    std::wstring email;
    std::wstring password;
    std::wstring callsign;
    std::wstring HostPortNumber;
};

// Refused: nothing was applied, since a value would not come back as typed.
enum class SaveOutcome { Saved, PortFailed, Refused };

// What the settings window needs of the program that owns it: the gateway's
// values, where the monitor window stands, whether input is taken now, and
// the Save itself.
class SettingsOwner {
public:
    virtual SettingsValues CurrentSettings() const = 0;
    // Nothing the operator starts may run while an upload or a box waits.
    virtual bool Busy() const = 0;
    virtual bool TakesInput() const = 0;
    virtual ScreenPoint MonitorPosition() const = 0;
    virtual std::vector<ScreenRect> MonitorWorkAreas() const = 0;
    // The Save up to the window's unload: the values' check, unblock rule,
    // copy, re-bind, file.
    virtual SaveOutcome SaveFromSettingsWindow(const SettingsBoxes& boxes) = 0;

protected:
    ~SettingsOwner() = default;
};
