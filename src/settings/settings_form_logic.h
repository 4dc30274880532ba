#pragma once
#include <string>

#include "gateway/gateway_state.h"

// What the settings window's boxes hold when Save is pressed.
struct SettingsBoxes {
    std::wstring email;
    std::wstring password;
    std::wstring callsign;
    std::wstring HostPortNumber;
};

// A blocked gateway is unblocked once any credential differs, letter case
// included; an unblocked one stays unblocked.
std::int16_t UploadBlockedAfterSave(const GatewayState& state, const SettingsBoxes& boxes);
void CopyBoxesToState(GatewayState& state, const SettingsBoxes& boxes);
