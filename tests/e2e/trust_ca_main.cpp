// vantary-trust-ca add|remove <ca.der>: trusts the test CA inside a Wine
// prefix, or takes that trust away again.
#include <cstdio>
#include <string>

#include "harness/paths.h"
#include "harness/trust_store.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::string(argv[1]) != "add" && std::string(argv[1]) != "remove")) {
        std::fprintf(stderr, "usage: vantary-trust-ca add|remove <ca.der>\n");
        return 2;
    }
    const std::wstring path = e2e::ToWindowsPath(argv[2]);
    std::wstring error;
    const bool adding = std::string(argv[1]) == "add";
    const bool ok = adding ? e2e::AddRootCertificate(path, &error) : e2e::RemoveRootCertificate(path, &error);
    if (!ok) {
        std::fprintf(stderr, "vantary-trust-ca: %s\n", e2e::Narrow(error).c_str());
        return 1;
    }
    std::printf("vantary-trust-ca: %s %s\n", adding ? "added" : "removed", argv[2]);
    return 0;
}
