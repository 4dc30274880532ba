#pragma once
#include <string>

#include "platform/http_poster.h"

// The form post over WinHTTP with the scripting request object's defaults:
// its User-Agent, the system's proxy settings and its time-outs.
class WinHttpPoster : public HttpPoster {
public:
    explicit WinHttpPoster(std::wstring url) : url_(std::move(url)) {}
    HttpReply PostForm(const std::string& body) override;

private:
    std::wstring url_;
};
