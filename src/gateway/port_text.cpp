#include "gateway/port_text.h"

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

std::optional<std::uint16_t> ParsePortText(const std::wstring& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    if (first == last) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = first; i < last; ++i) {
        const wchar_t c = text[i];
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - L'0');
        // Leading zeros keep it at 0; anything past 65535 is refused before
        // a long run of digits could overflow.
        if (value > 65535) return std::nullopt;
    }
    if (value < 1) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}
