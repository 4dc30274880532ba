#pragma once
#include <string>

namespace e2e {

// Adds or removes a DER certificate in the machine's "Root" store. Inside a
// throwaway Wine prefix this changes only that prefix's registry.
bool AddRootCertificate(const std::wstring& derPath, std::wstring* error);
bool RemoveRootCertificate(const std::wstring& derPath, std::wstring* error);

}  // namespace e2e
