#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/form_encoding.h"

namespace {
Latin1Codec codec;

TEST(EncodeFormValue, EscapesEverythingButLettersAndDigits) {
    EXPECT_EQ(EncodeFormValue(L"<eor> A1", codec), "%3Ceor%3E%20A1");
    EXPECT_EQ(EncodeFormValue(L"\t\r\n -.:@_*", codec), "%09%0D%0A%20%2D%2E%3A%40%5F%2A");
    EXPECT_EQ(EncodeFormValue(L"\u00e9", codec), "%E9");
    EXPECT_EQ(EncodeFormValue(L"50%25", codec), "50%2525");
    EXPECT_EQ(EncodeFormValue(L"", codec), "");
    const std::wstring key = L"5c1e7a93d04b28f6e9a3c17b5d82f40e6a9b3d71AZaz09";
    EXPECT_EQ(EncodeFormValue(key, codec), Narrow(key));
}

TEST(EncodeFormValue, EveryByteComesBackAndOnlySafeCharactersAppear) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string encoded = EncodeFormBytes(all);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '%') << "at " << i;
        if (c == '%') {
            ASSERT_LT(i + 2, encoded.size());
            const std::string hex = encoded.substr(i + 1, 2);
            ASSERT_EQ(hex, [&] { std::string u = hex; for (auto& h : u) h = static_cast<char>(std::toupper(h)); return u; }());
            decoded.push_back(static_cast<char>(std::stoi(hex, nullptr, 16)));
            i += 2;
        } else {
            decoded.push_back(c);
        }
    }
    EXPECT_EQ(decoded, all);
    EXPECT_EQ(encoded.size(), 62 + 3 * (256 - 62));
}

TEST(EncodeFormValue, LongValuesAreEncodedWhole) {
    for (std::size_t length : {32766u, 32767u, 32768u, 70000u}) {
        const std::wstring value(length, L'a');
        EXPECT_EQ(EncodeFormValue(value, codec).size(), length) << length;
    }
    EXPECT_EQ(EncodeFormValue(std::wstring(40000, L' '), codec).size(), 120000u);
}

TEST(EncodeFormValue, DoubleByteCharactersGiveOneEscapePerByte) {
    FakeDbcsCodec dbcs;
    const std::wstring text = {L'A', static_cast<wchar_t>(0x10000 + 0x82A0), L'1'};
    EXPECT_EQ(EncodeFormValue(text, dbcs), "A%82%A01");
}
}  // namespace
