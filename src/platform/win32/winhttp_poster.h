#pragma once
#include <string>

#include "gateway/exchange_limits.h"
#include "gateway/proxy_lookup.h"
#include "platform/http_poster.h"
#include "platform/win32/winhttp_library.h"

// The form post over WinHTTP with the scripting request object's defaults:
// its User-Agent and the user's proxy settings, with time-outs of its own,
// bounded by one deadline over the whole exchange. The exchange runs on a
// worker thread while the calling thread dispatches its messages; a worker
// left behind at the deadline ends by itself and changes nothing after.
class WinHttpPoster : public HttpPoster {
public:
    WinHttpPoster(std::wstring url, const WinHttpApi& api, const ExchangeLimits& limits = kExchangeLimits)
        : url_(std::move(url)), api_(api), limits_(limits) {}
    HttpReply PostForm(const std::string& body) override;

private:
    std::wstring url_;
    WinHttpApi api_;
    ExchangeLimits limits_;
    // A proxy the program looked up itself, for the next exchanges.
    FoundProxyMemory proxyMemory_;
};
