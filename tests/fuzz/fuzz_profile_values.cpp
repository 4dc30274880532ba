// Settings values as the file can hold them: cleaning leaves no NUL and no
// outer blank, numbers stay finite and written positions read back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gateway/port_text.h"
#include "settings/profile_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) text.push_back(static_cast<wchar_t>(data[i]));

    const std::wstring clean = CleanProfileText(text);
    if (clean.find(L'\0') != std::wstring::npos) std::abort();
    // Blanks are trimmed before NULs go, so only a NUL-free text is sure to lose them.
    const bool hasNul = text.find(L'\0') != std::wstring::npos;
    if (!hasNul && !clean.empty() && (clean.front() == L' ' || clean.back() == L' ')) std::abort();

    const float number = LeadingNumber(TrimSpaces(text));
    if (!std::isfinite(number)) std::abort();
    for (wchar_t separator : {L'.', L','}) {
        const std::wstring written = SingleToText(number, separator);
        if (separator == L'.') {
            const float back = LeadingNumber(written);
            const float tolerance = std::fabs(number) * 1e-6f;
            if (std::fabs(back - number) > tolerance) std::abort();
        }
        if (written.find(separator == L'.' ? L',' : L'.') != std::wstring::npos) std::abort();
    }

    const auto port = ParsePortText(text);
    bool digitsOnly = !text.empty() && text.size() <= 5;
    unsigned value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') digitsOnly = false;
        else if (digitsOnly) value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    const bool valid = digitsOnly && value >= 1 && value <= 65535;
    if (valid != port.has_value()) std::abort();
    if (port && *port != value) std::abort();
    return 0;
}
