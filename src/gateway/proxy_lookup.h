#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The proxy look-ups the program runs itself, where the system does not:
// which script to try, in Windows' order, and whether its host may be
// answered with the operator's Windows logon.
struct ProxyLookup {
    enum class Source { AutoDetect, ConfiguredScript };
    Source source;
    bool autoLogon;
};

// WinHTTP's "login failure" for a script behind a login.
constexpr std::uint32_t kProxyScriptLoginFailure = 12015;

class ProxyLookups {
public:
    ProxyLookups(bool autoDetect, bool configuredScript);
    // The look-up to run next, given what the last one failed with (0 before
    // the first); none once every one was tried. Any host on the network may
    // answer auto-detection, so it never gets the logon; the script address
    // the operator typed gets it only after it asked for a login.
    std::optional<ProxyLookup> Next(std::uint32_t lastError);

private:
    std::vector<ProxyLookup> pending_;
    std::optional<ProxyLookup> last_;
};

// A proxy a look-up found: the values of WinHTTP's proxy record.
struct FoundProxy {
    std::uint32_t accessType = 0;
    std::wstring proxy;
    std::wstring bypass;
};

// A look-up's answer kept for the run, so that the network is not searched
// again for every record, as long as the exchanges through it succeed.
class FoundProxyMemory {
public:
    // The answer kept for these settings (the script's address, the
    // auto-detect tick), if any.
    std::optional<FoundProxy> For(const std::wstring& settings) const;
    // After an exchange for `settings` that looked up `found` (none: it used
    // the kept answer, or no look-up ran) and got a reply or not. A failure
    // drops the answer: the network may have changed.
    void After(const std::wstring& settings, const std::optional<FoundProxy>& found, bool replied);

private:
    std::wstring settings_;
    std::optional<FoundProxy> kept_;
};
