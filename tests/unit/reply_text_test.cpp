#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/reply_text.h"

namespace {
Latin1Codec codec;

TEST(ReplyText, FollowsTheNamedCharset) {
    EXPECT_EQ(DecodeReplyText("caf\xC3\xA9", L"text/plain; charset=UTF-8", codec), L"caf\u00e9");
    EXPECT_EQ(DecodeReplyText("caf\xC3\xA9", L"text/html;Charset=\"ISO-8859-1\"", codec), L"caf\u00c3\u00a9");
    EXPECT_EQ(DecodeReplyText("caf\xC3\xA9", L"text/plain; charset=utf-8", codec), L"caf\u00e9");
    EXPECT_EQ(DecodeReplyText("caf\xC3\xA9", L"text/plain; charset=iso-8859-1", codec), L"caf\u00c3\u00a9");
}

TEST(ReplyText, WithoutACharsetValidUtf8WinsElseTheCodePage) {
    EXPECT_EQ(DecodeReplyText("OK \xE2\x82\xAC", L"text/plain", codec), L"OK \u20ac");
    EXPECT_EQ(DecodeReplyText("caf\xE9", L"", codec), L"caf\u00e9");
    EXPECT_EQ(DecodeReplyText("\xC3", L"", codec), L"\u00c3");
    EXPECT_EQ(DecodeReplyText("\xED\xA0\x80", L"", codec).size(), 3u);  // an encoded surrogate is no UTF-8
    EXPECT_EQ(DecodeReplyText("\xC0\xAF", L"", codec).size(), 2u);      // nor is an overlong form
    EXPECT_EQ(DecodeReplyText("", L"text/plain; charset=utf-8", codec), L"");
}

TEST(ReplyText, FourByteSequencesDecode) {
    const std::wstring text = DecodeReplyText("\xF0\x9F\x93\xA1", L"", codec);
    if constexpr (sizeof(wchar_t) == 2) {
        EXPECT_EQ(text.size(), 2u);
    } else {
        EXPECT_EQ(text, std::wstring(1, static_cast<wchar_t>(0x1F4E1)));
    }
}
}  // namespace
