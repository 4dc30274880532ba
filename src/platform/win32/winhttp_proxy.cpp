#include "platform/win32/winhttp_proxy.h"

#ifndef WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
#define WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY 4
#endif

namespace {
// The user's settings as WinHTTP reads them; it allocates the strings.
class UserProxySettings {
public:
    explicit UserProxySettings(const WinHttpApi& api) { read_ = api.GetIEProxyConfigForCurrentUser(&config_) != FALSE; }
    ~UserProxySettings() {
        for (LPWSTR text : {config_.lpszAutoConfigUrl, config_.lpszProxy, config_.lpszProxyBypass})
            if (text) GlobalFree(text);
    }
    UserProxySettings(const UserProxySettings&) = delete;
    UserProxySettings& operator=(const UserProxySettings&) = delete;

    bool AutoDetect() const { return read_ && config_.fAutoDetect; }
    const wchar_t* ScriptUrl() const { return read_ ? NonEmpty(config_.lpszAutoConfigUrl) : nullptr; }
    const wchar_t* Proxy() const { return read_ ? NonEmpty(config_.lpszProxy) : nullptr; }
    const wchar_t* Bypass() const { return read_ ? NonEmpty(config_.lpszProxyBypass) : nullptr; }

private:
    static const wchar_t* NonEmpty(const wchar_t* text) { return text && *text ? text : nullptr; }
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config_{};
    bool read_ = false;
};

// Runs auto-detection and/or the PAC script for this URL; a failure leaves
// the session's own choice (the manual proxy, or none) in force.
void FindRequestProxy(const WinHttpApi& api, HINTERNET session, const std::wstring& url, bool autoDetect,
                      const wchar_t* scriptUrl, RequestProxy& requestProxy) {
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (autoDetect) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    if (scriptUrl) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = scriptUrl;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO found{};
    if (!api.GetProxyForUrl(session, url.c_str(), &options, &found)) return;
    requestProxy.set = true;
    requestProxy.accessType = found.dwAccessType;
    if (found.lpszProxy) requestProxy.proxy = found.lpszProxy;
    if (found.lpszProxyBypass) requestProxy.bypass = found.lpszProxyBypass;
    if (found.lpszProxy) GlobalFree(found.lpszProxy);
    if (found.lpszProxyBypass) GlobalFree(found.lpszProxyBypass);
}
}  // namespace

HINTERNET OpenProxiedSession(const WinHttpApi& api, const wchar_t* userAgent, const std::wstring& url,
                             RequestProxy& requestProxy) {
    const UserProxySettings user(api);
    if (user.Proxy() || user.ScriptUrl()) {
        // Followed by hand: not every system's automatic mode reads them
        // (Wine's takes the direct way whatever the user set).
        HINTERNET session =
            user.Proxy() ? api.Open(userAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.Proxy(),
                                    user.Bypass() ? user.Bypass() : WINHTTP_NO_PROXY_BYPASS, 0)
                         : api.Open(userAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
        if (session && (user.AutoDetect() || user.ScriptUrl()))
            FindRequestProxy(api, session, url, user.AutoDetect(), user.ScriptUrl(), requestProxy);
        return session;
    }
    HINTERNET session = api.Open(userAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                 WINHTTP_NO_PROXY_BYPASS, 0);
    if (session || GetLastError() != ERROR_INVALID_PARAMETER) return session;
    // Older than Windows 8.1: the machine's WinHTTP proxy, and auto-detection
    // when the user's settings ask for it.
    session = api.Open(userAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (session && user.AutoDetect()) FindRequestProxy(api, session, url, true, nullptr, requestProxy);
    return session;
}

bool ApplyRequestProxy(const WinHttpApi& api, HINTERNET request, RequestProxy& requestProxy) {
    if (!requestProxy.set) return true;
    WINHTTP_PROXY_INFO info{};
    info.dwAccessType = requestProxy.accessType;
    info.lpszProxy = requestProxy.proxy.empty() ? nullptr : requestProxy.proxy.data();
    info.lpszProxyBypass = requestProxy.bypass.empty() ? nullptr : requestProxy.bypass.data();
    return api.SetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info) != FALSE;
}
