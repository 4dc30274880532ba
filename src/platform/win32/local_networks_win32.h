#pragma once
#include <windows.h>

#include "platform/local_networks.h"
#include "platform/win32/handles.h"

// The IPv6 prefixes this computer has addresses on, from iphlpapi.dll. It is
// loaded from the system folder at the first question, never imported and
// never at start-up: most runs never ask. The answer is kept until the
// system says an address changed; where it cannot say so, it is asked anew.
class LocalNetworksWin32 : public LocalNetworks {
public:
    LocalNetworksWin32() = default;
    ~LocalNetworksWin32() override;
    LocalNetworksWin32(const LocalNetworksWin32&) = delete;
    LocalNetworksWin32& operator=(const LocalNetworksWin32&) = delete;

    std::vector<Ipv6Prefix> OnLinkPrefixes() override;

private:
    bool Load();
    void WatchForChanges();
    std::vector<Ipv6Prefix> Query() const;

    handles::Module iphlpapi_;
    bool loadTried_ = false;
    FARPROC getAdapters_ = nullptr;
    FARPROC cancelNotify_ = nullptr;
    // Set by the system's own thread when an address comes or goes.
    handles::Kernel changed_;
    HANDLE notification_ = nullptr;
    std::vector<Ipv6Prefix> prefixes_;
};
