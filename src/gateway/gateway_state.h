#pragma once
#include <cstdint>
#include <string>

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
