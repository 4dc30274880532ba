#pragma once
#include <functional>
#include <optional>
#include <string>

#include "gateway/proxy_lookup.h"
#include "platform/win32/winhttp_library.h"

// The look-up of its own that the user's proxy settings ask the program to
// run for an exchange: none where the session follows a manual proxy alone
// or the system finds the proxy itself.
struct ProxyPlan {
    bool autoDetect = false;
    std::wstring scriptUrl;  // the PAC script's address the operator set
    bool LooksUp() const { return autoDetect || !scriptUrl.empty(); }
    // What a found proxy is kept for: another address or tick needs another look-up.
    std::wstring Settings() const { return (autoDetect ? L"auto-detect " : L"") + scriptUrl; }
};

// Opens a WinHTTP session that goes through the proxy the operator set in
// Windows, as Windows' own programs do. A manual proxy or a PAC script in the
// user's settings is followed on every system; otherwise the system finds
// the proxy itself where it can (Windows 8.1 and later), and elsewhere
// auto-detection runs when the settings ask for it: `plan` tells which
// look-up is left to the caller. Null with GetLastError() set when no
// session can be opened.
HINTERNET OpenProxiedSession(const WinHttpApi& api, const wchar_t* userAgent, ProxyPlan& plan);

// Runs the plan's look-ups for the URL, one after the other, until one
// answers or `stop` says so; none found leaves the session's own choice (the
// manual proxy, or none) in force. May wait on the network: call it once
// the session has its time-outs, which bound a script's download.
std::optional<FoundProxy> LookUpProxy(const WinHttpApi& api, HINTERNET session, const std::wstring& url,
                                      const ProxyPlan& plan, const std::function<bool()>& stop);

// Hands a found proxy to the request.
bool ApplyRequestProxy(const WinHttpApi& api, HINTERNET request, const FoundProxy& proxy);
