#pragma once
#include <string>

namespace e2e {

// A Linux path as Wine shows it (/x/y is Z:\x\y); Windows paths unchanged.
std::wstring ToWindowsPath(const std::string& path);

// The gateway executable that the build made.
std::wstring GatewayExePath();

// The test CA's DER file, from VANTARY_TLS_DIR; empty when it is not set.
std::wstring TestCaPath();

// A new, empty folder for one test, under the Windows temp folder.
std::wstring MakeFreshFolder(const std::wstring& label);

std::string ReadFileBytes(const std::wstring& path, bool* exists);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

std::wstring Widen(const std::string& ascii);
std::string Narrow(const std::wstring& text);  // through the ANSI code page
std::wstring FromAnsi(const std::string& bytes);

}  // namespace e2e
