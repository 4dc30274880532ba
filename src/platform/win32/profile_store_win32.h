#pragma once
#include "platform/profile_store.h"

class ProfileStoreWin32 : public ProfileStore {
public:
    void GetString(const std::string& section, const std::string& key, char* buffer, unsigned size,
                   const std::string& filePath) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& filePath) override;
    bool OrdinaryFileExists(const std::wstring& filePath) override;
};
