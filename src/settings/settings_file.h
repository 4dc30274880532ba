#pragma once
#include <string>

#include "platform/profile_store.h"
#include "platform/ansi_codec.h"

inline const char kCredentialsSection[] = "Credentials";
inline const char kUDPSettingsSection[] = "GatewayUDPsettings";
inline const char kFormLocationSection[] = "FormLocation";
inline const wchar_t kFirstRunPort[] = L"2333";
inline const wchar_t kMissingPort[] = L"2233";

struct SettingsFile {
    ProfileStore& store;
    const AnsiCodec& codec;
    ProfilePath path;
};

std::wstring ReadProfileText(const SettingsFile& file, const char* section, const char* key);
float ReadProfileNumber(const SettingsFile& file, const char* section, const char* key);

struct StoredSettings {
    std::wstring email, password, callsign, HostPortNumber;
    float top = 0, left = 0;
};
StoredSettings LoadSettings(const SettingsFile& file);
// Writes all six keys, each even when an earlier one failed; 0 when every
// write succeeded, else the first failure's error number.
unsigned long SaveSettings(const SettingsFile& file, const StoredSettings& values);
