#pragma once
#include "platform/ansi_codec.h"
#include "platform/profile_store.h"

// The profile functions in their 8-bit form, and in their wide form only for
// a file the code page cannot name; values cross as the same code-page bytes.
class ProfileStoreWin32 : public ProfileStore {
public:
    explicit ProfileStoreWin32(const AnsiCodec& codec) : codec_(codec) {}
    void GetString(const std::string& section, const std::string& key, char* buffer, unsigned size,
                   const ProfilePath& file) override;
    unsigned long WriteString(const std::string& section, const std::string& key, const std::string& value,
                              const ProfilePath& file) override;
    PathKind Find(const std::wstring& filePath) override;
    unsigned long ReadError(const std::wstring& filePath) override;
    std::wstring ErrorText(unsigned long error) const override;

private:
    const AnsiCodec& codec_;
};
