#pragma once
#include <string>

// The kernel's profile-file functions in their 8-bit form.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // Copies the value (at most size-1 bytes) and a NUL into buffer; the
    // rest of the buffer is left as it was.
    virtual void GetString(const std::string& section, const std::string& key,
                           char* buffer, unsigned size, const std::string& filePath) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& filePath) = 0;
    // True when the path names an ordinary file (not hidden, system or a folder).
    virtual bool OrdinaryFileExists(const std::wstring& filePath) = 0;
};
