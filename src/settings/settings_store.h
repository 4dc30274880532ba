#pragma once
#include <string>

#include "platform/ansi_codec.h"
#include "platform/application.h"
#include "platform/profile_store.h"
#include "settings/settings_file.h"

// The settings file beside the program: where it is, loading and saving it,
// and keeping it intact when it could not be read.
class SettingsStore {
public:
    SettingsStore(ProfileStore& profile, const AnsiCodec& codec, const Application& app)
        : profile_(profile), codec_(codec), app_(app) {}
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The file of the running executable's name, beside it.
    void Locate();
    const std::wstring& Path() const { return IniFilePath; }

    bool SettingsFileExists();
    // 0 when the file can be opened for reading, else the system's error.
    unsigned long ReadError() const { return profile_.ReadError(IniFilePath); }
    // What the program holds is not the operator's: the file keeps its
    // values until the operator saves in the settings window.
    void KeepUnreadFile() { unread_ = true; }
    bool MayWrite() const { return !unread_; }

    StoredSettings LoadSettingsFromINI();
    // 0 when every key was written, else the first failure's error number.
    unsigned long SaveSettingsToINI(const StoredSettings& values);
    // The operator's own values: the file may take them now.
    unsigned long SaveOperatorsValues(const StoredSettings& values);
    std::wstring ErrorText(unsigned long error) const { return profile_.ErrorText(error); }

private:
    ProfilePath IniPath() const;
    void NameSections();

    ProfileStore& profile_;
    const AnsiCodec& codec_;
    const Application& app_;
    std::wstring IniFilePath;
    std::wstring CredentialsSection;
    std::wstring UDPSettingsSection;
    std::wstring FormLocationSection;
    bool unread_ = false;
};
