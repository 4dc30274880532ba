#include <gtest/gtest.h>

#include <cmath>

#include "settings/profile_values.h"

namespace {
std::wstring Buffer(const std::wstring& value) {
    std::wstring buffer(255, L' ');
    buffer.replace(0, value.size(), value);
    buffer[value.size()] = L'\0';
    return buffer;
}

TEST(ProfileValues, TextIsTrimmedOutsideAndKeepsInnerAndTrailingBlanks) {
    EXPECT_EQ(CleanProfileText(Buffer(L"me@example.org")), L"me@example.org");
    EXPECT_EQ(CleanProfileText(Buffer(L"")), L"");
    EXPECT_EQ(CleanProfileText(Buffer(L"pass word  ")), L"pass word  ");
    EXPECT_EQ(CleanProfileText(Buffer(L"  lead")), L"lead");
    EXPECT_EQ(CleanProfileText(std::wstring(255, L' ')), L"");
}

TEST(ProfileValues, LeadingNumberIgnoresTheLocale) {
    EXPECT_EQ(LeadingNumber(TrimSpaces(Buffer(L"300"))), 300.0f);
    EXPECT_EQ(LeadingNumber(L"12x"), 12.0f);
    EXPECT_EQ(LeadingNumber(L"x"), 0.0f);
    EXPECT_EQ(LeadingNumber(L""), 0.0f);
    EXPECT_EQ(LeadingNumber(TrimSpaces(Buffer(L"-1200"))), -1200.0f);
    EXPECT_EQ(LeadingNumber(L"12,5"), 12.0f);
    EXPECT_EQ(LeadingNumber(L"12.5"), 12.5f);
    EXPECT_EQ(LeadingNumber(L"-15360"), -15360.0f);
    EXPECT_EQ(LeadingNumber(L".5"), 0.5f);
    EXPECT_EQ(LeadingNumber(L"-"), 0.0f);
    EXPECT_EQ(LeadingNumber(L"1e3x"), 1000.0f);
    EXPECT_EQ(LeadingNumber(L"7e"), 7.0f);
    EXPECT_EQ(LeadingNumber(std::wstring(L"42") + L'\0' + L"   "), 42.0f);
}

TEST(ProfileValues, AbsurdNumbersStayFinite) {
    EXPECT_TRUE(std::isfinite(LeadingNumber(L"1e300")));
    EXPECT_GT(LeadingNumber(L"1e300"), 1e38f);
    EXPECT_LT(LeadingNumber(L"-1e300"), -1e38f);
    EXPECT_EQ(LeadingNumber(L"1e-300"), 0.0f);
    EXPECT_TRUE(std::isfinite(LeadingNumber(std::wstring(400, L'9'))));
}

TEST(ProfileValues, SingleToTextWritesWholeNumbersPlainly) {
    EXPECT_EQ(SingleToText(300.0f, L'.'), L"300");
    EXPECT_EQ(SingleToText(-15360.0f, L'.'), L"-15360");
    EXPECT_EQ(SingleToText(0.0f, L','), L"0");
    EXPECT_EQ(SingleToText(-0.0f, L','), L"0");
    EXPECT_EQ(SingleToText(7612.5f, L'.'), L"7612.5");
    EXPECT_EQ(SingleToText(7612.5f, L','), L"7612,5");
    EXPECT_EQ(SingleToText(1234567.0f, L'.'), L"1234567");
    EXPECT_EQ(SingleToText(12345678.0f, L'.'), L"1.234568E+07");
}

TEST(ProfileValues, WrittenPositionsReadBack) {
    for (float v : {0.0f, 300.0f, -15360.0f, 7612.5f, 123456.0f}) {
        EXPECT_EQ(LeadingNumber(SingleToText(v, L'.')), v) << v;
    }
}
}  // namespace
