#pragma once
#include <string>

// The settings file's path as the profile functions take it: in the code page
// where that names the file, else only in its wide form.
struct ProfilePath {
    std::string ansi;   // empty: the code page cannot name the file
    std::wstring wide;  // always set
};

// What a path names. Hidden and system files are files like any other.
enum class PathKind { Nothing, File, Folder };

// The kernel's profile-file functions. Values cross as code-page bytes.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // Copies the value (at most size-1 bytes) and a NUL into buffer; the
    // rest of the buffer is left as it was.
    virtual void GetString(const std::string& section, const std::string& key,
                           char* buffer, unsigned size, const ProfilePath& file) = 0;
    // 0 when the value was written, else the system's error number.
    virtual unsigned long WriteString(const std::string& section, const std::string& key,
                                      const std::string& value, const ProfilePath& file) = 0;
    // What the path names now, from a listing of its folder.
    virtual PathKind Find(const std::wstring& filePath) = 0;
    // 0 when the file can be opened for reading, else the system's error
    // number (another program may hold it open against readers).
    virtual unsigned long ReadError(const std::wstring& filePath) = 0;
    // The system's text for one of its error numbers.
    virtual std::wstring ErrorText(unsigned long error) const = 0;
};
