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

TEST(ReplyCap, OnceTheStatusLineCameAnInterruptedReplyStandsCutShort) {
    constexpr std::int32_t kReset = static_cast<std::int32_t>(0x80072EFEu);
    ReplyCollector silent(4);
    EXPECT_FALSE(silent.Interrupted(kExchangeTimedOut).completed) << "no answer at all";
    EXPECT_EQ(silent.Interrupted(kExchangeTimedOut).errorNumber, -2147012894);

    ReplyCollector headersOnly(4);
    headersOnly.Headers(403, L"", 20);
    ReplyCollector trickle(4);
    trickle.Headers(200, L"");
    trickle.Take("abc");
    ReplyCollector big(4);
    big.Headers(500, L"");
    big.Take("abcdefg");
    const struct {
        ReplyCollector& collector;
        long status;
        const wchar_t* pane;
    } cases[] = {
        {headersOnly, 403, L"\u2026 (the reply was cut short)"},
        {trickle, 200, L"abc \u2026 (the reply was cut short)"},
        {big, 500, L"abcd \u2026 (3 more bytes not shown; the reply was cut short)"},
    };
    for (const auto& c : cases) {
        for (std::int32_t number : {kExchangeTimedOut, kReset}) {
            const HttpReply cut = c.collector.Interrupted(number);
            EXPECT_TRUE(cut.completed) << "the service has the record: no \"No connection\" for " << c.status;
            EXPECT_EQ(cut.status, c.status);
            EXPECT_TRUE(cut.cutShort);
            EXPECT_EQ(ReplyPaneText(cut, codec), c.pane);
        }
    }
}

TEST(ReplyCap, AReplyThatEndsBeforeItsDeclaredLengthIsCutShort) {
    ReplyCollector whole(4);
    whole.Headers(200, L"", 7);
    whole.Take("abcdefg");
    EXPECT_FALSE(whole.Complete().cutShort);
    ReplyCollector shortOne(4);
    shortOne.Headers(200, L"", 8);
    shortOne.Take("abcdefg");
    EXPECT_TRUE(shortOne.Complete().cutShort);
    EXPECT_EQ(ReplyPaneText(shortOne.Complete(), codec), L"abcd \u2026 (3 more bytes not shown; the reply was cut short)");
}

TEST(ReplyCap, TheExchangeWaitsAMinuteInAllAndHalfOfItForAnyOneStep) {
    EXPECT_EQ(kExchangeDeadlineMs, 60000u);
    for (std::uint32_t step : {kExchangeLimits.resolveMs, kExchangeLimits.connectMs, kExchangeLimits.sendMs,
                               kExchangeLimits.receiveMs})
        EXPECT_EQ(step, 30000u);
}
}  // namespace
