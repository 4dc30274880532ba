#include "gateway/reply_cap.h"

#include "gateway/reply_text.h"

namespace {
std::wstring WithThousands(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L',');
    return digits;
}

// How many bytes at the end form the start of a UTF-8 character that was cut.
std::size_t PartialUtf8Tail(std::string_view bytes) {
    const std::size_t look = bytes.size() < 3 ? bytes.size() : 3;
    for (std::size_t back = 1; back <= look; ++back) {
        const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}
}  // namespace

void ReplyCollector::Headers(long status, std::wstring contentType, std::optional<std::uint64_t> declaredLength) {
    answered_ = true;
    status_ = status;
    contentType_ = std::move(contentType);
    declared_ = declaredLength;
}

void ReplyCollector::Take(std::string_view bytes) {
    const std::size_t room = keep_ - kept_.size();
    const std::size_t kept = bytes.size() < room ? bytes.size() : room;
    kept_.append(bytes.data(), kept);
    notKept_ += bytes.size() - kept;
}

HttpReply ReplyCollector::Complete() const {
    HttpReply reply;
    reply.completed = true;
    reply.status = status_;
    reply.contentType = contentType_;
    reply.body = kept_;
    reply.bytesNotKept = notKept_;
    reply.cutShort = declared_ && kept_.size() + notKept_ < *declared_;
    return reply;
}

HttpReply ReplyCollector::Interrupted(std::int32_t errorNumber) const {
    if (!answered_) {
        HttpReply failed;
        failed.errorNumber = errorNumber;
        return failed;
    }
    HttpReply reply = Complete();
    reply.cutShort = true;
    return reply;
}

std::wstring NotShownMarker(std::uint64_t bytes, bool cutShort) {
    if (bytes == 0 && !cutShort) return {};
    std::wstring marker = L" \u2026 (";
    if (bytes > 0) marker += WithThousands(bytes) + (bytes == 1 ? L" more byte not shown" : L" more bytes not shown");
    if (bytes > 0 && cutShort) marker += L"; ";
    if (cutShort) marker += L"the reply was cut short";
    return marker + L")";
}

std::wstring ReplyPaneText(const HttpReply& reply, const AnsiCodec& codec) {
    std::string_view body = reply.body;
    std::uint64_t notShown = reply.bytesNotKept;
    if (notShown > 0 || reply.cutShort) {
        const std::size_t cut = PartialUtf8Tail(body);
        body.remove_suffix(cut);
        notShown += cut;
    }
    const std::wstring text = DecodeReplyText(body, reply.contentType, codec);
    const std::wstring marker = NotShownMarker(notShown, reply.cutShort);
    // Nothing came before the break: the marker alone, after the status's own blank.
    return text.empty() && !marker.empty() ? marker.substr(1) : text + marker;
}

std::int32_t ExchangeErrorNumber(std::uint32_t systemError) {
    constexpr std::uint32_t kSocketTimedOut = 10060;   // WSAETIMEDOUT
    constexpr std::uint32_t kWinHttpTimeout = 12002;
    constexpr std::uint32_t kWinHttpInternalError = 12004;
    if (systemError == kSocketTimedOut) systemError = kWinHttpTimeout;
    if (systemError == 0) systemError = kWinHttpInternalError;
    // As HRESULT_FROM_WIN32: a number that is an HRESULT already stays as it is.
    if (static_cast<std::int32_t>(systemError) < 0) return static_cast<std::int32_t>(systemError);
    const std::uint32_t hresult = (systemError & 0xFFFFu) | (7u << 16) | 0x80000000u;
    return static_cast<std::int32_t>(hresult);
}
