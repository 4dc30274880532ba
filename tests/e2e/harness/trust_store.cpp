#include "trust_store.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "win.h"
#include <wincrypt.h>

namespace e2e {
namespace {

struct StoreCloser {
    void operator()(HCERTSTORE s) const noexcept { CertCloseStore(s, 0); }
};
using UniqueStore = std::unique_ptr<void, StoreCloser>;

struct CertFreer {
    void operator()(PCCERT_CONTEXT c) const noexcept { CertFreeCertificateContext(c); }
};
using UniqueCert = std::unique_ptr<const CERT_CONTEXT, CertFreer>;

bool ReadFileBytes(const std::wstring& path, std::vector<BYTE>& bytes, std::wstring* error) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = L"cannot open " + path + L": " + std::to_wstring(GetLastError());
        return false;
    }
    BYTE buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) bytes.insert(bytes.end(), buf, buf + n);
    CloseHandle(h);
    if (bytes.empty()) { *error = L"empty certificate file " + path; return false; }
    return true;
}

UniqueStore OpenRoot(std::wstring* error) {
    // The registry store itself: through the system-store collection Wine
    // reports a delete as done yet leaves the certificate in the registry.
    UniqueStore store(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!store) *error = L"CertOpenStore(Root): " + std::to_wstring(GetLastError());
    return store;
}

}  // namespace

bool AddRootCertificate(const std::wstring& derPath, std::wstring* error) {
    std::vector<BYTE> der;
    if (!ReadFileBytes(derPath, der, error)) return false;
    UniqueStore store = OpenRoot(error);
    if (!store) return false;
    if (!CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(),
                                          static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                          nullptr)) {
        *error = L"CertAddEncodedCertificateToStore: " + std::to_wstring(GetLastError());
        return false;
    }
    return true;
}

bool RemoveRootCertificate(const std::wstring& derPath, std::wstring* error) {
    std::vector<BYTE> der;
    if (!ReadFileBytes(derPath, der, error)) return false;
    UniqueCert wanted(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
    if (!wanted) { *error = L"not a DER certificate: " + derPath; return false; }
    UniqueStore store = OpenRoot(error);
    if (!store) return false;
    // Delete every copy; the context found is freed by the delete itself.
    bool removedAny = false;
    for (;;) {
        PCCERT_CONTEXT found = CertFindCertificateInStore(store.get(), X509_ASN_ENCODING, 0,
                                                          CERT_FIND_EXISTING, wanted.get(), nullptr);
        if (!found) break;
        if (!CertDeleteCertificateFromStore(found)) {
            *error = L"CertDeleteCertificateFromStore: " + std::to_wstring(GetLastError());
            return false;
        }
        removedAny = true;
    }
    if (!removedAny) { *error = L"certificate not in the Root store: " + derPath; return false; }
    return true;
}

}  // namespace e2e
