#include "platform/win32/winhttp_poster.h"

#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "gateway/reply_cap.h"
#include "platform/win32/handles.h"
#include "platform/win32/message_wait.h"
#include "platform/win32/winhttp_proxy.h"

namespace {
const wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";
const wchar_t kContentType[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
// Each step's own limit; the exchange's deadline is the one that counts.
constexpr int kResolveTimeout = static_cast<int>(kExchangeDeadlineMs);
constexpr int kConnectTimeout = 60000;
constexpr int kSendTimeout = 30000;
constexpr int kReceiveTimeout = 30000;

HttpReply Failed(DWORD error) {
    HttpReply reply;
    reply.errorNumber = ExchangeErrorNumber(error);
    return reply;
}

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class Locked {
public:
    explicit Locked(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~Locked() { section_.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CriticalSection& section_;
};

// One exchange, shared by the caller and the thread that runs it: whichever
// lets go last frees it, so a thread still in WinHTTP after its caller gave
// up writes only here. The thread never touches the caller's objects.
struct Exchange {
    enum Slot { kSession, kConnection, kRequest, kSlots };

    WinHttpApi api;
    std::wstring url;
    std::string body;
    HMODULE module = nullptr;  // the thread's own reference on winhttp.dll
    handles::Kernel done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    CriticalSection lock;
    // Below: under the lock.
    bool cancelled = false;
    HINTERNET open[kSlots] = {};  // whoever takes a handle out closes it
    ReplyCollector collected;
    HttpReply result;  // the thread's, read once done is set

    // Takes over a handle the thread just opened; false (and closed) when
    // the caller has given up meanwhile.
    bool Keep(Slot slot, HINTERNET handle) {
        {
            Locked hold(lock);
            if (!cancelled) {
                open[slot] = handle;
                return true;
            }
        }
        api.CloseHandle(handle);
        return false;
    }

    bool Cancelled() {
        Locked hold(lock);
        return cancelled;
    }

    // Request first, session last. Closing from the caller's thread also
    // cancels a call under way, where the system's WinHTTP allows it.
    void CloseAll(bool cancel) {
        HINTERNET taken[kSlots];
        {
            Locked hold(lock);
            if (cancel) cancelled = true;
            for (int i = 0; i < kSlots; ++i) taken[i] = std::exchange(open[i], nullptr);
        }
        for (int i = kSlots - 1; i >= 0; --i)
            if (taken[i]) api.CloseHandle(taken[i]);
    }
};

// An old system may still offer SSL 3 or TLS 1.0 by default. TLS 1.3 is asked
// for too, and dropped where the system refuses a flag it does not know.
bool SetTlsFloor(const WinHttpApi& api, HINTERNET session) {
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (api.SetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) return true;
    protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    return api.SetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
}

std::wstring QueryHeader(const WinHttpApi& api, HINTERNET request, DWORD info) {
    DWORD bytes = 0;
    api.QueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                     WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!api.QueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                          WINHTTP_NO_HEADER_INDEX))
        return {};
    value.resize(bytes / sizeof(wchar_t));
    return value;
}

bool SetTimeouts(const WinHttpApi& api, HINTERNET handle) {
    return api.SetTimeouts(handle, kResolveTimeout, kConnectTimeout, kSendTimeout, kReceiveTimeout) != FALSE;
}

// The blocking exchange, on the exchange's own thread.
HttpReply Run(Exchange& x) {
    const WinHttpApi& api = x.api;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!api.CrackUrl(x.url.c_str(), static_cast<DWORD>(x.url.size()), 0, &parts)) return Failed(GetLastError());
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    RequestProxy proxy;
    HINTERNET session = OpenProxiedSession(api, kUserAgent, x.url, proxy);
    if (!session) return Failed(GetLastError());
    if (!x.Keep(Exchange::kSession, session)) return Failed(ERROR_WINHTTP_OPERATION_CANCELLED);
    if (!SetTlsFloor(api, session)) return Failed(GetLastError());
    if (!SetTimeouts(api, session)) return Failed(GetLastError());
    HINTERNET connection = api.Connect(session, host.c_str(), parts.nPort, 0);
    if (!connection) return Failed(GetLastError());
    if (!x.Keep(Exchange::kConnection, connection)) return Failed(ERROR_WINHTTP_OPERATION_CANCELLED);
    HINTERNET request = api.OpenRequest(connection, L"POST", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0);
    if (!request) return Failed(GetLastError());
    if (!x.Keep(Exchange::kRequest, request)) return Failed(ERROR_WINHTTP_OPERATION_CANCELLED);
    if (!ApplyRequestProxy(api, request, proxy)) return Failed(GetLastError());

    // The wait for the reply's headers has a time-out of its own, unlimited in some
    // WinHTTPs; the request object's receive time-out covers it too.
    if (!SetTimeouts(api, request)) return Failed(GetLastError());
    DWORD responseTimeout = kReceiveTimeout;
    if (!api.SetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout))
        return Failed(GetLastError());

    // The form carries the password: it goes to the endpoint and nowhere else.
    // Without it the default policy re-posts the form to any https host on a 307.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!api.SetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy))
        return Failed(GetLastError());

    if (!api.SendRequest(request, kContentType, static_cast<DWORD>(-1), const_cast<char*>(x.body.data()),
                         static_cast<DWORD>(x.body.size()), static_cast<DWORD>(x.body.size()), 0))
        return Failed(GetLastError());
    if (!api.ReceiveResponse(request, nullptr)) return Failed(GetLastError());

    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!api.QueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                          &status, &statusSize, WINHTTP_NO_HEADER_INDEX))
        return Failed(GetLastError());
    {
        std::wstring contentType = QueryHeader(api, request, WINHTTP_QUERY_CONTENT_TYPE);
        Locked hold(x.lock);
        x.collected.Headers(static_cast<long>(status), std::move(contentType));
    }

    // Past the kept part the bytes are read only to be dropped, until the
    // reply ends or the caller's deadline closes the connection.
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        if (x.Cancelled()) return Failed(ERROR_WINHTTP_OPERATION_CANCELLED);
        // A read asks only for what has arrived: a read of a whole chunk may
        // wait for all of it.
        DWORD available = 0;
        DWORD read = 0;
        DWORD error = 0;
        if (!api.QueryDataAvailable(request, &available)) {
            error = GetLastError();
        } else if (available > 0) {
            const DWORD wanted = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
            if (!api.ReadData(request, chunk.data(), wanted, &read)) error = GetLastError();
        }
        Locked hold(x.lock);
        if (error) return x.collected.Interrupted(ExchangeErrorNumber(error));
        if (available == 0 || read == 0) return x.collected.Complete();
        x.collected.Take(std::string_view(chunk.data(), read));
    }
}

DWORD WINAPI ExchangeThread(LPVOID parameter) {
    std::shared_ptr<Exchange> x;
    std::swap(x, *static_cast<std::shared_ptr<Exchange>*>(parameter));
    delete static_cast<std::shared_ptr<Exchange>*>(parameter);
    const HMODULE module = x->module;
    HttpReply result;
    try {
        result = Run(*x);
    } catch (const std::bad_alloc&) {
        result = Failed(ERROR_NOT_ENOUGH_MEMORY);
    }
    x->CloseAll(false);
    {
        Locked hold(x->lock);
        x->result = std::move(result);
    }
    SetEvent(x->done.get());
    x.reset();
    // Nothing of winhttp.dll may run once this reference is gone.
    FreeLibraryAndExitThread(module, 0);
}
}  // namespace

HttpReply WinHttpPoster::PostForm(const std::string& body) {
    if (api_.loadError) return Failed(api_.loadError);
    const ULONGLONG deadline = GetTickCount64() + kExchangeDeadlineMs;
    auto x = std::make_shared<Exchange>();
    if (!x->done) return Failed(GetLastError());
    x->api = api_;
    x->url = url_;
    x->body = body;
    // The thread may outlive this call, and the DLL's owner with it.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(api_.Open),
                            &x->module))
        return Failed(GetLastError());
    auto* handover = new std::shared_ptr<Exchange>(x);
    const handles::Kernel thread(CreateThread(nullptr, 0, ExchangeThread, handover, 0, nullptr));
    if (!thread) {
        const DWORD error = GetLastError();
        delete handover;
        FreeLibrary(x->module);
        return Failed(error);
    }

    switch (WaitDispatchingMessages(x->done.get(), deadline)) {
    case WaitEnd::Signalled: {
        Locked hold(x->lock);
        return std::move(x->result);
    }
    case WaitEnd::TimedOut: {
        HttpReply late;
        {
            Locked hold(x->lock);
            late = x->collected.Interrupted(kExchangeTimedOut);
        }
        x->CloseAll(true);
        return late;
    }
    case WaitEnd::Quit:
        break;
    }
    x->CloseAll(true);
    HttpReply abandoned;
    abandoned.abandoned = true;
    return abandoned;
}
