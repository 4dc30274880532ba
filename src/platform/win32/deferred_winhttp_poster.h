#pragma once
#include <optional>
#include <string>

#include "platform/http_poster.h"
#include "platform/win32/winhttp_library.h"
#include "platform/win32/winhttp_poster.h"

// WinHTTP and what it pulls in (TLS, certificates, the proxy settings) cost
// more start-up time than anything else, and no one waits for them before the
// window shows: the library is loaded once the window is up, or at the first
// upload if that comes first.
class DeferredWinHttpPoster : public HttpPoster {
public:
    explicit DeferredWinHttpPoster(std::wstring url) : url_(std::move(url)) {}
    DeferredWinHttpPoster(const DeferredWinHttpPoster&) = delete;
    DeferredWinHttpPoster& operator=(const DeferredWinHttpPoster&) = delete;

    void Load() {
        if (poster_) return;
        library_.emplace();
        poster_.emplace(url_, library_->Api());
    }
    HttpReply PostForm(const std::string& body) override {
        Load();
        return poster_->PostForm(body);
    }

private:
    std::wstring url_;
    std::optional<WinHttpLibrary> library_;
    std::optional<WinHttpPoster> poster_;
};
