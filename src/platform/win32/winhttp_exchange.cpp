#include "platform/win32/winhttp_exchange.h"

#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/winhttp_proxy.h"

namespace {
const wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";
const wchar_t kContentType[] = L"Content-Type: application/x-www-form-urlencoded\r\n";

HttpReply Failed(DWORD error) {
    HttpReply reply;
    reply.errorNumber = ExchangeErrorNumber(error);
    return reply;
}

// What a worker reports once the window has stopped waiting: no one reads it.
HttpReply Stopped() { return Failed(ERROR_WINHTTP_OPERATION_CANCELLED); }

void Wipe(std::string& text) {
    if (!text.empty()) SecureZeroMemory(text.data(), text.size());
}

// An old system may still offer SSL 3 or TLS 1.0 by default. TLS 1.3 is asked
// for too, and dropped where the system refuses a flag it does not know.
bool SetTlsFloor(const WinHttpApi& api, HINTERNET session) {
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (api.SetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) return true;
    protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    return api.SetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
}

bool SetTimeouts(const WinHttpApi& api, HINTERNET handle, const ExchangeLimits& limits) {
    return api.SetTimeouts(handle, static_cast<int>(limits.resolveMs), static_cast<int>(limits.connectMs),
                           static_cast<int>(limits.sendMs), static_cast<int>(limits.receiveMs)) != FALSE;
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
}  // namespace

// The form while the worker sends it: taken only if the window still waits,
// and wiped when it goes, before the request's handle closes.
class Exchange::Form {
public:
    explicit Form(Exchange& x) {
        handles::Locked hold(x.lock_);
        if (x.abandoned_) return;
        x.formTaken_ = true;
        form_ = &x.form_;
    }
    ~Form() { Wipe(); }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    explicit operator bool() const { return form_ != nullptr; }
    char* Data() { return form_->data(); }
    DWORD Size() const { return static_cast<DWORD>(form_->size()); }
    void Wipe() {
        if (form_) ::Wipe(*form_);
    }

private:
    std::string* form_ = nullptr;
};

Exchange::Exchange(const WinHttpApi& api, std::wstring url, const ExchangeLimits& limits,
                   FoundProxyMemory remembered, std::string form)
    : api_(api), url_(std::move(url)), limits_(limits), remembered_(std::move(remembered)),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), form_(std::move(form)) {}

Exchange::~Exchange() { Wipe(form_); }

bool Exchange::Start(const std::shared_ptr<Exchange>& x) {
    if (!x->done_) return false;
    // The worker may outlive its caller, and the DLL's owner with it.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(x->api_.Open),
                            &x->module_))
        return false;
    auto* handover = new std::shared_ptr<Exchange>(x);
    const handles::Kernel thread(CreateThread(nullptr, 0, Thread, handover, 0, nullptr));
    if (thread) return true;
    const DWORD error = GetLastError();
    delete handover;
    FreeLibrary(std::exchange(x->module_, nullptr));
    SetLastError(error);
    return false;
}

HttpReply Exchange::Result() {
    handles::Locked hold(lock_);
    return std::move(result_);
}

std::optional<FoundProxy> Exchange::Found(std::wstring& settings) {
    handles::Locked hold(lock_);
    settings = proxySettings_;
    return found_;
}

HttpReply Exchange::Abandon(std::int32_t errorNumber) {
    handles::Locked hold(lock_);
    abandoned_ = true;
    if (!formTaken_) Wipe(form_);
    return collected_.Interrupted(errorNumber);
}

bool Exchange::Abandoned() {
    handles::Locked hold(lock_);
    return abandoned_;
}

DWORD WINAPI Exchange::Thread(LPVOID parameter) {
    std::shared_ptr<Exchange> x;
    std::swap(x, *static_cast<std::shared_ptr<Exchange>*>(parameter));
    delete static_cast<std::shared_ptr<Exchange>*>(parameter);
    const HMODULE module = x->module_;
    HttpReply result;
    try {
        result = x->Run();
    } catch (const std::bad_alloc&) {
        result = Failed(ERROR_NOT_ENOUGH_MEMORY);
    }
    {
        handles::Locked hold(x->lock_);
        x->result_ = std::move(result);
    }
    SetEvent(x->done_.get());
    x.reset();
    // Nothing of winhttp.dll may run once this reference is gone.
    FreeLibraryAndExitThread(module, 0);
}

// The blocking exchange, on the worker. Each call waits at most for its own
// time-out, and between them the worker stops as soon as no one waits.
HttpReply Exchange::Run() {
    const WinHttpApi& api = api_;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!api.CrackUrl(url_.c_str(), static_cast<DWORD>(url_.size()), 0, &parts)) return Failed(GetLastError());
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    const handles::InternetDeleter close{api.CloseHandle};

    ProxyPlan plan;
    const handles::Internet session(OpenProxiedSession(api, kUserAgent, plan), close);
    if (!session) return Failed(GetLastError());
    // Before any look-up: the time-outs bound a proxy script's download too.
    if (!SetTlsFloor(api, session.get()) || !SetTimeouts(api, session.get(), limits_)) return Failed(GetLastError());
    std::optional<FoundProxy> proxy;
    if (plan.LooksUp()) proxy = remembered_.For(plan.Settings());
    if (plan.LooksUp() && !proxy) {
        proxy = LookUpProxy(api, session.get(), url_, plan, [this] { return Abandoned(); });
        handles::Locked hold(lock_);
        proxySettings_ = plan.Settings();
        found_ = proxy;
    }
    if (Abandoned()) return Stopped();

    const handles::Internet connection(api.Connect(session.get(), host.c_str(), parts.nPort, 0), close);
    if (!connection) return Failed(GetLastError());
    const handles::Internet request(api.OpenRequest(connection.get(), L"POST", path.c_str(), nullptr,
                                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                    secure ? WINHTTP_FLAG_SECURE : 0),
                                    close);
    if (!request) return Failed(GetLastError());
    if (proxy && !ApplyRequestProxy(api, request.get(), *proxy)) return Failed(GetLastError());
    // The wait for the reply's headers has a time-out of its own, unlimited in some
    // WinHTTPs; the request object's receive time-out covers it too.
    if (!SetTimeouts(api, request.get(), limits_)) return Failed(GetLastError());
    DWORD responseTimeout = limits_.receiveMs;
    if (!api.SetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                       sizeof responseTimeout))
        return Failed(GetLastError());
    // The form carries the password: it goes to the endpoint and nowhere else.
    // Without it the default policy re-posts the form to any https host on a 307.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!api.SetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy))
        return Failed(GetLastError());

    Form form(*this);
    if (!form) return Stopped();
    if (!api.SendRequest(request.get(), kContentType, static_cast<DWORD>(-1), form.Data(), form.Size(), form.Size(),
                         0))
        return Failed(GetLastError());
    if (Abandoned()) return Stopped();
    const bool received = api.ReceiveResponse(request.get(), nullptr) != FALSE;
    const DWORD receiveError = received ? 0 : GetLastError();
    // Nothing sends the form again once the reply has come.
    form.Wipe();
    if (!received) return Failed(receiveError);
    return ReadReply(request.get());
}

HttpReply Exchange::ReadReply(HINTERNET request) {
    const WinHttpApi& api = api_;
    if (Abandoned()) return Stopped();
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!api.QueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                          &status, &size, WINHTTP_NO_HEADER_INDEX))
        return Failed(GetLastError());
    std::wstring contentType = QueryHeader(api, request, WINHTTP_QUERY_CONTENT_TYPE);
    std::optional<std::uint64_t> declared;
    DWORD length = 0;
    size = sizeof length;
    if (api.QueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                         WINHTTP_HEADER_NAME_BY_INDEX, &length, &size, WINHTTP_NO_HEADER_INDEX))
        declared = length;
    {
        handles::Locked hold(lock_);
        collected_.Headers(static_cast<long>(status), std::move(contentType), declared);
    }

    // Past the kept part the bytes are read only to be dropped, until the
    // reply ends or the window stops waiting.
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        if (Abandoned()) return Stopped();
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
        handles::Locked hold(lock_);
        if (error) return collected_.Interrupted(ExchangeErrorNumber(error));
        if (available == 0 || read == 0) return collected_.Complete();
        collected_.Take(std::string_view(chunk.data(), read));
    }
}
