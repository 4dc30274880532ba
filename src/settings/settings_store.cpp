#include "settings/settings_store.h"

void SettingsStore::Locate() { IniFilePath = app_.ExeFolder() + L"\\" + app_.ExeTitle() + L".ini"; }

bool SettingsStore::SettingsFileExists() { return profile_.Find(IniFilePath) == PathKind::File; }

ProfilePath SettingsStore::IniPath() const {
    ProfilePath path;
    path.wide = IniFilePath;
    path.ansi = codec_.ToAnsi(IniFilePath);
    if (codec_.FromAnsi(path.ansi) == IniFilePath) return path;
    // The code page cannot name the folder, or names another one: its short
    // name is ASCII. A volume without short names leaves the wide name alone.
    // Otherwise every start would lose the credentials.
    const std::wstring folder = app_.ShortPath(app_.ExeFolder());
    path.ansi = folder.empty() ? std::string() : codec_.ToAnsi(folder + L"\\" + app_.ExeTitle() + L".ini");
    return path;
}

void SettingsStore::NameSections() {
    CredentialsSection = L"Credentials";
    UDPSettingsSection = L"GatewayUDPsettings";
    FormLocationSection = L"FormLocation";
}

StoredSettings SettingsStore::LoadSettingsFromINI() {
    NameSections();
    return LoadSettings(SettingsFile{profile_, codec_, IniPath()});
}

unsigned long SettingsStore::SaveSettingsToINI(const StoredSettings& values) {
    NameSections();
    return SaveSettings(SettingsFile{profile_, codec_, IniPath()}, values);
}

unsigned long SettingsStore::SaveOperatorsValues(const StoredSettings& values) {
    unread_ = false;
    return SaveSettingsToINI(values);
}
