#include "settings/profile_values.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

std::wstring TrimSpaces(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    const auto last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring CleanProfileText(std::wstring_view buffer) {
    std::wstring text = TrimSpaces(buffer);
    text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
    return text;
}

float LeadingNumber(std::wstring_view text) {
    std::string number;
    std::size_t i = 0;
    auto isDigit = [&](std::size_t at) { return at < text.size() && text[at] >= L'0' && text[at] <= L'9'; };
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) number.push_back(static_cast<char>(text[i++]));
    bool digits = false;
    while (isDigit(i)) { number.push_back(static_cast<char>(text[i++])); digits = true; }
    if (i < text.size() && text[i] == L'.') {
        std::string fraction = ".";
        std::size_t j = i + 1;
        while (isDigit(j)) { fraction.push_back(static_cast<char>(text[j++])); digits = true; }
        if (fraction.size() > 1) { number += fraction; i = j; }
    }
    if (!digits) return 0.0f;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == L'-' || text[j] == L'+')) exponent.push_back(static_cast<char>(text[j++]));
        bool expDigits = false;
        while (isDigit(j)) { exponent.push_back(static_cast<char>(text[j++])); expDigits = true; }
        if (expDigits) number += exponent;
    }
    const char* begin = number.data();
    if (*begin == '+') ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Far beyond any screen: keep the sign, stay a finite single.
        const bool negative = number[0] == '-';
        const bool tiny = number.find("e-") != std::string::npos;
        if (tiny) return 0.0f;
        return negative ? -FLT_MAX : FLT_MAX;
    }
    if (result.ec != std::errc()) return 0.0f;
    return static_cast<float>(std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

std::wstring SingleToText(float value, wchar_t decimalSeparator) {
    if (!std::isfinite(value)) value = 0.0f;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
    std::wstring text;
    for (const char* p = buffer; *p; ++p) text.push_back(*p == '.' ? decimalSeparator : static_cast<wchar_t>(*p));
    if (text == L"-0") text = L"0";
    return text;
}
