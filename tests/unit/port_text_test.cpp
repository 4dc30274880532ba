#include <gtest/gtest.h>

#include "gateway/port_text.h"

namespace {
using Port = std::optional<std::uint16_t>;

TEST(PortText, BlanksAroundTheDigitsAndLeadingZerosGiveTheNumber) {
    EXPECT_EQ(ParsePortText(L"2333"), Port(2333));
    EXPECT_EQ(ParsePortText(L" 2333"), Port(2333));
    EXPECT_EQ(ParsePortText(L"2333 "), Port(2333));
    EXPECT_EQ(ParsePortText(L"\t 02333  \t"), Port(2333));
    EXPECT_EQ(ParsePortText(L"0000000000065535"), Port(65535));
    EXPECT_EQ(ParsePortText(L"1"), Port(1));
}

TEST(PortText, ZeroOtherCharactersAndNumbersAboveTheRangeAreRefused) {
    for (const wchar_t* text : {L"", L"   ", L"0", L" 000 ", L"65536", L"70000", L"99999999999999999999",
                                L"23 33", L"+2333", L"-1", L"2333x", L"0x10", L"2333.0", L"\x00A0" L"2333",
                                L"2333\r\n", L"\xFF12\xFF13\xFF13\xFF13"}) {
        EXPECT_EQ(ParsePortText(text), std::nullopt) << std::wstring(text).size();
    }
}
}  // namespace
