#include "platform/win32/winhttp_proxy.h"

#ifndef WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
#define WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY 4
#endif

namespace {
// The user's settings as WinHTTP reads them, copied out of its allocations.
struct UserProxySettings {
    bool autoDetect = false;
    std::wstring scriptUrl;
    std::wstring proxy;
    std::wstring bypass;
};

UserProxySettings ReadUserProxySettings(const WinHttpApi& api) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    UserProxySettings user;
    if (!api.GetIEProxyConfigForCurrentUser(&config)) return user;
    user.autoDetect = config.fAutoDetect != FALSE;
    for (auto [from, to] : {std::pair{config.lpszAutoConfigUrl, &user.scriptUrl}, std::pair{config.lpszProxy, &user.proxy},
                            std::pair{config.lpszProxyBypass, &user.bypass}}) {
        if (!from) continue;
        *to = from;
        GlobalFree(from);
    }
    return user;
}
}  // namespace

HINTERNET OpenProxiedSession(const WinHttpApi& api, const wchar_t* userAgent, ProxyPlan& plan) {
    const UserProxySettings user = ReadUserProxySettings(api);
    if (!user.proxy.empty() || !user.scriptUrl.empty()) {
        // Followed by hand: not every system's automatic mode reads them
        // (Wine's takes the direct way whatever the user set).
        plan.autoDetect = user.autoDetect;
        plan.scriptUrl = user.scriptUrl;
        if (user.proxy.empty())
            return api.Open(userAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        return api.Open(userAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.proxy.c_str(),
                        user.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : user.bypass.c_str(), 0);
    }
    HINTERNET session = api.Open(userAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                 WINHTTP_NO_PROXY_BYPASS, 0);
    if (session || GetLastError() != ERROR_INVALID_PARAMETER) return session;
    // Older than Windows 8.1: the machine's WinHTTP proxy, and auto-detection
    // when the user's settings ask for it.
    plan.autoDetect = user.autoDetect;
    return api.Open(userAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
}

std::optional<FoundProxy> LookUpProxy(const WinHttpApi& api, HINTERNET session, const std::wstring& url,
                                      const ProxyPlan& plan, const std::function<bool()>& stop) {
    ProxyLookups lookups(plan.autoDetect, !plan.scriptUrl.empty());
    DWORD lastError = 0;
    while (const std::optional<ProxyLookup> lookup = lookups.Next(lastError)) {
        if (stop()) break;
        WINHTTP_AUTOPROXY_OPTIONS options{};
        if (lookup->source == ProxyLookup::Source::AutoDetect) {
            options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
            options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        } else {
            options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
            options.lpszAutoConfigUrl = plan.scriptUrl.c_str();
        }
        options.fAutoLogonIfChallenged = lookup->autoLogon ? TRUE : FALSE;
        WINHTTP_PROXY_INFO info{};
        if (!api.GetProxyForUrl(session, url.c_str(), &options, &info)) {
            lastError = GetLastError();
            continue;
        }
        FoundProxy found;
        found.accessType = info.dwAccessType;
        if (info.lpszProxy) found.proxy = info.lpszProxy;
        if (info.lpszProxyBypass) found.bypass = info.lpszProxyBypass;
        if (info.lpszProxy) GlobalFree(info.lpszProxy);
        if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
        return found;
    }
    return std::nullopt;
}

bool ApplyRequestProxy(const WinHttpApi& api, HINTERNET request, const FoundProxy& proxy) {
    std::wstring name = proxy.proxy;
    std::wstring bypass = proxy.bypass;
    WINHTTP_PROXY_INFO info{};
    info.dwAccessType = proxy.accessType;
    info.lpszProxy = name.empty() ? nullptr : name.data();
    info.lpszProxyBypass = bypass.empty() ? nullptr : bypass.data();
    return api.SetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info) != FALSE;
}
