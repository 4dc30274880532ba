#pragma once
#include <string>

#include "platform/http_poster.h"
#include "platform/win32/winhttp_library.h"

// The form post over WinHTTP with the scripting request object's defaults:
// its User-Agent, the user's proxy settings and its time-outs, bounded by one
// deadline over the whole exchange. The exchange runs on a thread of its
// own while the calling thread dispatches its messages.
class WinHttpPoster : public HttpPoster {
public:
    WinHttpPoster(std::wstring url, const WinHttpApi& api) : url_(std::move(url)), api_(api) {}
    HttpReply PostForm(const std::string& body) override;

private:
    std::wstring url_;
    WinHttpApi api_;
};
