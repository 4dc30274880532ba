#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gateway/exchange_limits.h"
#include "platform/ansi_codec.h"
#include "platform/http_poster.h"

// A reply is a line in a pane, not a document: this much of it is kept.
constexpr std::size_t kKeptReplyBytes = 64 * 1024;
// What an exchange past its deadline reports: WinHTTP's time-out as an HRESULT.
constexpr std::int32_t kExchangeTimedOut = static_cast<std::int32_t>(0x80072EE2u);

// The number a failed exchange reports for the system's error code: as the
// scripting request object raises it, the error as an HRESULT. A socket's
// own time-out counts as the exchange's, and no code at all as WinHTTP's
// internal error, so that the operator never reads "Error 0".
std::int32_t ExchangeErrorNumber(std::uint32_t systemError);

// Collects a reply's body as it is read: the first bytes are kept, the rest
// only counted, so that a huge reply costs no memory and no copies.
class ReplyCollector {
public:
    explicit ReplyCollector(std::size_t keep = kKeptReplyBytes) : keep_(keep) {}
    // `declaredLength`: the reply's Content-Length, when it gave one.
    void Headers(long status, std::wstring contentType, std::optional<std::uint64_t> declaredLength = {});
    void Take(std::string_view bytes);
    // The reply as it stands once its end has come; cut short when fewer
    // bytes came than it declared.
    HttpReply Complete() const;
    // The reply when reading it stopped early: the deadline came, or the
    // connection broke. Once the status line has come the service has the
    // record: the reply stands, cut short, so that the operator is not told
    // to upload it again. Before that the exchange failed with that number.
    HttpReply Interrupted(std::int32_t errorNumber) const;

private:
    std::size_t keep_;
    bool answered_ = false;
    long status_ = 0;
    std::wstring contentType_;
    std::optional<std::uint64_t> declared_;
    std::string kept_;
    std::uint64_t notKept_ = 0;
};

// The reply line's text for the pane: the kept bytes decoded, then a marker
// saying how much more came. Without the bytes cut off in the middle of a
// UTF-8 character, so that the rest still decodes as UTF-8.
std::wstring ReplyPaneText(const HttpReply& reply, const AnsiCodec& codec);
// " … (1,048,576 more bytes not shown)", and a word when the reply was cut
// short; empty when nothing is missing.
std::wstring NotShownMarker(std::uint64_t bytes, bool cutShort);
