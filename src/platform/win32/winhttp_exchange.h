#pragma once
#include <memory>
#include <optional>
#include <string>

#include "gateway/exchange_limits.h"
#include "gateway/proxy_lookup.h"
#include "gateway/reply_cap.h"
#include "platform/win32/handles.h"
#include "platform/win32/winhttp_library.h"

// One form post, run by a worker thread of its own while the window thread
// waits for it. The worker alone opens, uses and closes its WinHTTP handles;
// the window thread only stops waiting, and then takes nothing more from
// it. Whichever lets go last frees it.
class Exchange {
public:
    Exchange(const WinHttpApi& api, std::wstring url, const ExchangeLimits& limits, FoundProxyMemory remembered,
             std::string form);
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // Starts the worker; false with GetLastError() set when it cannot run.
    static bool Start(const std::shared_ptr<Exchange>& exchange);
    HANDLE Done() const { return done_.get(); }

    // The window thread's side. What the worker produced, once Done is set:
    // its reply, and the proxy it looked up for which settings, if it did.
    HttpReply Result();
    std::optional<FoundProxy> Found(std::wstring& settings);
    // Stops waiting: what had come so far, reported as cut off with this
    // number. The worker ends at its next step, and a form it has not begun
    // to send is wiped at once.
    HttpReply Abandon(std::int32_t errorNumber);

private:
    class Form;
    static DWORD WINAPI Thread(LPVOID parameter);
    HttpReply Run();
    HttpReply ReadReply(HINTERNET request);
    bool Abandoned();

    // Set before the worker starts, read by the worker alone.
    WinHttpApi api_;
    std::wstring url_;
    ExchangeLimits limits_;
    FoundProxyMemory remembered_;
    HMODULE module_ = nullptr;  // the worker's own reference on winhttp.dll
    handles::Kernel done_;

    handles::CriticalSection lock_;
    // Below: under the lock.
    bool abandoned_ = false;
    bool formTaken_ = false;  // from then on the worker wipes it
    std::string form_;
    ReplyCollector collected_;
    HttpReply result_;
    std::wstring proxySettings_;
    std::optional<FoundProxy> found_;
};
