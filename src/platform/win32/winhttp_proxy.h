#pragma once
#include <string>

#include "platform/win32/winhttp_library.h"

// A proxy that only this request uses, found by auto-detection or a PAC script.
struct RequestProxy {
    bool set = false;
    DWORD accessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
    std::wstring proxy;
    std::wstring bypass;
};

// Opens a WinHTTP session that goes through the proxy the operator set in
// Windows, as Windows' own programs do. A manual proxy or a PAC script in the
// user's settings is followed on every system; otherwise the system finds
// the proxy itself where it can (Windows 8.1 and later), and elsewhere
// auto-detection runs when the settings ask for it. May wait on the network
// (a PAC script, auto-detection): call it where a wait is bounded.
// Null with GetLastError() set when no session can be opened.
HINTERNET OpenProxiedSession(const WinHttpApi& api, const wchar_t* userAgent, const std::wstring& url,
                             RequestProxy& requestProxy);

// Hands a found proxy to the request; true when there is none to hand.
bool ApplyRequestProxy(const WinHttpApi& api, HINTERNET request, RequestProxy& requestProxy);
