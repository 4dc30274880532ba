#pragma once
#include <cstdint>
#include <string>

#include "platform/settings_view.h"

// The gateway state that the windows read and write directly.
struct GatewayState {
    std::wstring Version;
    std::wstring email;
    std::wstring password;
    std::wstring callsign;
    std::wstring ADIFrecord;
    std::wstring apiKey;
    std::wstring HostPortNumber;
    std::int16_t UploadBlocked = 0;  // true is -1
};

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

// A blocked gateway is unblocked once any credential differs, letter case
// included; an unblocked one stays unblocked.
std::int16_t UploadBlockedAfterSave(const GatewayState& state, const SettingsBoxes& boxes);
void CopyBoxesToState(GatewayState& state, const SettingsBoxes& boxes);
