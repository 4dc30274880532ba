#include "platform/win32/winhttp_poster.h"

#include <memory>

#include "platform/win32/message_wait.h"
#include "platform/win32/winhttp_exchange.h"

namespace {
HttpReply Failed(DWORD error) {
    HttpReply reply;
    reply.errorNumber = ExchangeErrorNumber(error);
    return reply;
}
}  // namespace

HttpReply WinHttpPoster::PostForm(const std::string& body) {
    if (api_.loadError) return Failed(api_.loadError);
    const ULONGLONG deadline = GetTickCount64() + limits_.deadlineMs;
    const auto x = std::make_shared<Exchange>(api_, url_, limits_, proxyMemory_, body);
    if (!Exchange::Start(x)) return Failed(GetLastError());

    switch (WaitDispatchingMessages(x->Done(), deadline)) {
    case WaitEnd::Signalled: {
        HttpReply reply = x->Result();
        std::wstring settings;
        const std::optional<FoundProxy> found = x->Found(settings);
        proxyMemory_.After(settings, found, reply.completed);
        return reply;
    }
    case WaitEnd::TimedOut: {
        // Whatever the worker does from now on is its own: it is not waited for.
        HttpReply late = x->Abandon(kExchangeTimedOut);
        proxyMemory_.After({}, std::nullopt, late.completed);
        return late;
    }
    case WaitEnd::Quit:
        break;
    }
    x->Abandon(kExchangeTimedOut);
    HttpReply abandoned;
    abandoned.abandoned = true;
    return abandoned;
}
