#include "settings/settings_file.h"

#include "settings/profile_values.h"

namespace {
std::wstring ReadBuffer(const SettingsFile& file, const char* section, const char* key) {
    std::string buffer(kProfileBufferSize, ' ');
    file.store.GetString(section, key, buffer.data(), kProfileBufferSize, file.path);
    return file.codec.FromAnsi(buffer);
}
}  // namespace

std::wstring ReadProfileText(const SettingsFile& file, const char* section, const char* key) {
    return CleanProfileText(ReadBuffer(file, section, key));
}

float ReadProfileNumber(const SettingsFile& file, const char* section, const char* key) {
    return LeadingNumber(TrimSpaces(ReadBuffer(file, section, key)));
}

StoredSettings LoadSettings(const SettingsFile& file) {
    StoredSettings s;
    s.email = ReadProfileText(file, kCredentialsSection, "email");
    s.password = ReadProfileText(file, kCredentialsSection, "password");
    s.callsign = ReadProfileText(file, kCredentialsSection, "callsign");
    std::wstring port = ReadProfileText(file, kUDPSettingsSection, "HostPortNumber");
    s.HostPortNumber = port.empty() ? kMissingPort : port;
    s.top = ReadProfileNumber(file, kFormLocationSection, "FormTop");
    s.left = ReadProfileNumber(file, kFormLocationSection, "FormLeft");
    return s;
}

unsigned long SaveSettings(const SettingsFile& file, const StoredSettings& values) {
    const wchar_t separator = file.codec.DecimalSeparator();
    unsigned long firstError = 0;
    auto write = [&](const char* section, const char* key, const std::wstring& value) {
        const unsigned long error = file.store.WriteString(section, key, file.codec.ToAnsi(value), file.path);
        if (!firstError) firstError = error;
    };
    write(kCredentialsSection, "email", values.email);
    write(kCredentialsSection, "password", values.password);
    write(kCredentialsSection, "callsign", values.callsign);
    write(kUDPSettingsSection, "HostPortNumber", values.HostPortNumber);
    write(kFormLocationSection, "FormTop", SingleToText(values.top, separator));
    write(kFormLocationSection, "FormLeft", SingleToText(values.left, separator));
    return firstError;
}
