#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ansi_codec.h"
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
// The box that stops a Save when the next start would read one of the
// boxes back otherwise than typed; nullopt when all four come back as they are.
std::optional<std::wstring> ValueNotKeptMessage(const SettingsBoxes& boxes, const AnsiCodec& codec);
