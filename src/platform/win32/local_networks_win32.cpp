#include "platform/win32/local_networks_win32.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/system_library.h"

namespace {
using GetAdaptersAddressesFn = decltype(&::GetAdaptersAddresses);
using NotifyUnicastIpAddressChangeFn = decltype(&::NotifyUnicastIpAddressChange);
using CancelMibChangeNotify2Fn = decltype(&::CancelMibChangeNotify2);

template <class Fn>
Fn As(FARPROC found) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}

// Runs on a thread of the system's: it only raises the flag.
void WINAPI OnAddressChange(void* changed, MIB_UNICASTIPADDRESS_ROW*, MIB_NOTIFICATION_TYPE) {
    SetEvent(static_cast<HANDLE>(changed));
}
}  // namespace

LocalNetworksWin32::~LocalNetworksWin32() {
    // Waits for a callback under way, so the event outlives every use of it.
    if (notification_) As<CancelMibChangeNotify2Fn>(cancelNotify_)(notification_);
}

bool LocalNetworksWin32::Load() {
    if (loadTried_) return getAdapters_ != nullptr;
    loadTried_ = true;
    iphlpapi_.reset(LoadSystemLibrary(L"iphlpapi.dll"));
    if (!iphlpapi_) return false;
    getAdapters_ = GetProcAddress(iphlpapi_.get(), "GetAdaptersAddresses");
    WatchForChanges();
    return getAdapters_ != nullptr;
}

void LocalNetworksWin32::WatchForChanges() {
    const FARPROC notify = GetProcAddress(iphlpapi_.get(), "NotifyUnicastIpAddressChange");
    cancelNotify_ = GetProcAddress(iphlpapi_.get(), "CancelMibChangeNotify2");
    if (!notify || !cancelNotify_) return;
    // Set at first, so the first question asks the system.
    changed_.reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    if (!changed_) return;
    HANDLE handle = nullptr;
    if (As<NotifyUnicastIpAddressChangeFn>(notify)(AF_INET6, OnAddressChange, changed_.get(), FALSE, &handle) ==
            NO_ERROR &&
        handle)
        notification_ = handle;
}

std::vector<Ipv6Prefix> LocalNetworksWin32::OnLinkPrefixes() {
    if (!Load()) return {};
    // Without word of changes, only a fresh answer is a true one.
    if (!notification_) return Query();
    if (WaitForSingleObject(changed_.get(), 0) == WAIT_OBJECT_0) {
        ResetEvent(changed_.get());
        prefixes_ = Query();
    }
    return prefixes_;
}

std::vector<Ipv6Prefix> LocalNetworksWin32::Query() const {
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER |
                        GAA_FLAG_SKIP_FRIENDLY_NAME;
    std::vector<unsigned char> buffer(16 * 1024);
    ULONG size = static_cast<ULONG>(buffer.size());
    ULONG result = ERROR_BUFFER_OVERFLOW;
    // An adapter may come between asking for the size and the second call.
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(std::max<std::size_t>(size, buffer.size()));
        size = static_cast<ULONG>(buffer.size());
        result = As<GetAdaptersAddressesFn>(getAdapters_)(
            AF_INET6, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    std::vector<Ipv6Prefix> prefixes;
    if (result != NO_ERROR) return prefixes;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const SOCKET_ADDRESS& address = unicast->Address;
            if (!address.lpSockaddr || address.lpSockaddr->sa_family != AF_INET6) continue;
            Ipv6Prefix prefix;
            std::memcpy(prefix.address.data(), &reinterpret_cast<const sockaddr_in6*>(address.lpSockaddr)->sin6_addr,
                        prefix.address.size());
            prefix.length = std::min<unsigned>(unicast->OnLinkPrefixLength, 128);
            prefixes.push_back(prefix);
        }
    }
    return prefixes;
}
