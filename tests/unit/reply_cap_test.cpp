#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/reply_cap.h"

namespace {
Latin1Codec codec;

TEST(ReplyCap, KeepsTheFirstBytesWhateverTheChunksAndCountsTheRest) {
    ReplyCollector exact(8);
    exact.Headers(200, L"text/plain");
    exact.Take("abcd");
    exact.Take("efgh");
    const HttpReply whole = exact.Complete();
    EXPECT_EQ(whole.body, "abcdefgh");
    EXPECT_EQ(whole.bytesNotKept, 0u);
    EXPECT_EQ(ReplyPaneText(whole, codec), L"abcdefgh") << "a reply of exactly the cap needs no marker";

    ReplyCollector over(8);
    over.Headers(200, L"");
    for (const char* chunk : {"abc", "defghij", "", "klmnop"}) over.Take(chunk);
    const HttpReply cut = over.Complete();
    EXPECT_TRUE(cut.completed);
    EXPECT_EQ(cut.body, "abcdefgh");
    EXPECT_EQ(cut.bytesNotKept, 8u);
    EXPECT_EQ(ReplyPaneText(cut, codec), L"abcdefgh \u2026 (8 more bytes not shown)");
}

TEST(ReplyCap, TheMarkerCountsInThousandsAndKnowsOneByte) {
    EXPECT_EQ(NotShownMarker(0, false), L"");
    EXPECT_EQ(NotShownMarker(1, false), L" \u2026 (1 more byte not shown)");
    EXPECT_EQ(NotShownMarker(999, false), L" \u2026 (999 more bytes not shown)");
    EXPECT_EQ(NotShownMarker(1048576, false), L" \u2026 (1,048,576 more bytes not shown)");
    EXPECT_EQ(NotShownMarker(10'000'000'000ull, true),
              L" \u2026 (10,000,000,000 more bytes not shown; the reply was cut short)");
    EXPECT_EQ(NotShownMarker(0, true), L" \u2026 (the reply was cut short)");
}

TEST(ReplyCap, ADefaultCollectorKeeps64KiBOfATenMegabyteReply) {
    ReplyCollector collector;
    collector.Headers(200, L"text/html; charset=utf-8");
    const std::string chunk(64 * 1024, 'x');
    for (int i = 0; i < 160; ++i) collector.Take(chunk);
    const HttpReply reply = collector.Complete();
    EXPECT_EQ(reply.body.size(), 65536u);
    EXPECT_EQ(reply.bytesNotKept, 160u * 65536 - 65536);
}

TEST(ReplyCap, ACutThroughAUtf8CharacterLeavesTheRestReadableAsUtf8) {
    ReplyCollector collector(6);
    collector.Headers(200, L"text/plain; charset=utf-8");
    collector.Take("caf\xC3\xA9\xE2\x82\xAC tail");  // "café€ tail": the cut falls inside the euro sign
    const HttpReply reply = collector.Complete();
    ASSERT_EQ(reply.body, "caf\xC3\xA9\xE2");
    EXPECT_EQ(ReplyPaneText(reply, codec), L"caf\u00e9 \u2026 (8 more bytes not shown)");
}

TEST(ReplyCap, AFailureReportsTheSystemErrorAsTheRequestObjectWould) {
    EXPECT_EQ(ExchangeErrorNumber(12029), -2147012867) << "cannot connect";
    EXPECT_EQ(ExchangeErrorNumber(10060), kExchangeTimedOut) << "the socket's time-out is the exchange's";
    EXPECT_EQ(ExchangeErrorNumber(0), static_cast<std::int32_t>(0x80072EE4u)) << "never \"Error 0\"";
    EXPECT_EQ(ExchangeErrorNumber(0x8007000Eu), static_cast<std::int32_t>(0x8007000Eu));
}

TEST(ReplyCap, OnceTheStatusLineCameAReplyInterruptedOrShortOfItsLengthStandsCutShort) {
    ReplyCollector silent(4);
    EXPECT_EQ(silent.Interrupted(kExchangeTimedOut).errorNumber, -2147012894) << "no answer at all";
    ReplyCollector headersOnly(4), trickle(4), big(4), shortOfLength(4);
    headersOnly.Headers(403, L"", 20);
    trickle.Headers(200, L"");
    trickle.Take("abc");
    big.Headers(500, L"");
    big.Take("abcdefg");
    shortOfLength.Headers(200, L"", 8);
    shortOfLength.Take("abcdefg");
    const std::pair<HttpReply, const wchar_t*> cases[] = {
        {headersOnly.Interrupted(kExchangeTimedOut), L"[403] \u2026 (the reply was cut short)"},
        {trickle.Interrupted(kExchangeTimedOut), L"[200] abc \u2026 (the reply was cut short)"},
        {big.Interrupted(static_cast<std::int32_t>(0x80072EFEu)),
         L"[500] abcd \u2026 (3 more bytes not shown; the reply was cut short)"},
        {shortOfLength.Complete(), L"[200] abcd \u2026 (3 more bytes not shown; the reply was cut short)"},
    };
    for (const auto& [cut, pane] : cases) {
        EXPECT_TRUE(cut.completed) << "the service has the record: no \"No connection\"";
        EXPECT_EQ(L"[" + std::to_wstring(cut.status) + L"] " + ReplyPaneText(cut, codec), pane);
    }
    EXPECT_EQ(ReplyPaneText(big.Complete(), codec), L"abcd \u2026 (3 more bytes not shown)") << "no length declared";
}

TEST(ReplyCap, TheExchangeWaitsAMinuteInAllAndHalfOfItForAnyOneStep) {
    EXPECT_EQ(kExchangeDeadlineMs, 60000u);
    for (std::uint32_t step : {kExchangeLimits.resolveMs, kExchangeLimits.connectMs, kExchangeLimits.sendMs,
                               kExchangeLimits.receiveMs})
        EXPECT_EQ(step, 30000u);
}
}  // namespace
