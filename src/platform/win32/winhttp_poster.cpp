#include "platform/win32/winhttp_poster.h"

#include <vector>

#include "platform/win32/handles.h"

namespace {
const wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";
const wchar_t kContentType[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
constexpr int kResolveTimeout = 0;  // unlimited
constexpr int kConnectTimeout = 60000;
constexpr int kSendTimeout = 30000;
constexpr int kReceiveTimeout = 30000;
// A reply that trickles in would hold the thread past every per-read time-out.
constexpr ULONGLONG kReplyDeadlineMs = 60000;
// Beyond this a reply is no message for the operator but a fault of the far end.
constexpr std::size_t kLargestReply = 32u * 1024 * 1024;

// The number the scripting request object raises: the WinHTTP error as an HRESULT.
std::int32_t ErrorNumber(DWORD error) {
    const auto hresult = static_cast<std::uint32_t>(HRESULT_FROM_WIN32(error));
    return static_cast<std::int32_t>(hresult);
}

HttpReply Failed(DWORD error) {
    // Some WinHTTPs pass the socket's own time-out through; the request object
    // reports every time-out as its own.
    if (error == WSAETIMEDOUT) error = ERROR_WINHTTP_TIMEOUT;
    HttpReply reply;
    reply.errorNumber = ErrorNumber(error ? error : ERROR_WINHTTP_INTERNAL_ERROR);
    return reply;
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

// An old system may still offer SSL 3 or TLS 1.0 by default. TLS 1.3 is asked
// for too, and dropped where the system refuses a flag it does not know.
bool SetTlsFloor(const WinHttpApi& api, HINTERNET session) {
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (api.SetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) return true;
    protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    return api.SetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
}
}  // namespace

HttpReply WinHttpPoster::PostForm(const std::string& body) {
    if (api_.loadError) return Failed(api_.loadError);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!api_.CrackUrl(url_.c_str(), static_cast<DWORD>(url_.size()), 0, &parts)) return Failed(GetLastError());
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    // Declared in this order so they close request first, session last.
    const handles::InternetDeleter close{api_.CloseHandle};
    handles::Internet session(api_.Open(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0),
                              close);
    if (!session) return Failed(GetLastError());
    if (!SetTlsFloor(api_, session.get())) return Failed(GetLastError());
    api_.SetTimeouts(session.get(), kResolveTimeout, kConnectTimeout, kSendTimeout, kReceiveTimeout);
    handles::Internet connection(api_.Connect(session.get(), host.c_str(), parts.nPort, 0), close);
    if (!connection) return Failed(GetLastError());
    handles::Internet request(api_.OpenRequest(connection.get(), L"POST", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0),
                              close);
    if (!request) return Failed(GetLastError());

    // The wait for the reply's headers has a time-out of its own, unlimited in some
    // WinHTTPs; the request object's receive time-out covers it too.
    api_.SetTimeouts(request.get(), kResolveTimeout, kConnectTimeout, kSendTimeout, kReceiveTimeout);
    DWORD responseTimeout = kReceiveTimeout;
    api_.SetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);

    // The form carries the password: it goes to the endpoint and nowhere else.
    // Without it the default policy re-posts the form to any https host on a 307.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!api_.SetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy))
        return Failed(GetLastError());

    if (!api_.SendRequest(request.get(), kContentType, static_cast<DWORD>(-1), const_cast<char*>(body.data()),
                          static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0))
        return Failed(GetLastError());
    if (!api_.ReceiveResponse(request.get(), nullptr)) return Failed(GetLastError());

    HttpReply reply;
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!api_.QueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX))
        return Failed(GetLastError());
    reply.status = static_cast<long>(status);
    reply.contentType = QueryHeader(api_, request.get(), WINHTTP_QUERY_CONTENT_TYPE);

    std::vector<char> chunk(64 * 1024);
    const ULONGLONG started = GetTickCount64();
    while (reply.body.size() < kLargestReply) {
        if (GetTickCount64() - started > kReplyDeadlineMs) return Failed(ERROR_WINHTTP_TIMEOUT);
        // A read asks only for what has arrived: a read of a whole chunk may
        // wait for all of it, and a reply that trickles in would hold the
        // upload far past the deadline.
        DWORD available = 0;
        if (!api_.QueryDataAvailable(request.get(), &available)) return Failed(GetLastError());
        if (available == 0) break;
        DWORD read = 0;
        const DWORD wanted = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        if (!api_.ReadData(request.get(), chunk.data(), wanted, &read)) return Failed(GetLastError());
        if (read == 0) break;
        reply.body.append(chunk.data(), read);
    }
    reply.completed = true;
    return reply;
}
