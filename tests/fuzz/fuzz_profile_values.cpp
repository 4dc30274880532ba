// Settings values as the file can hold them: cleaning leaves no NUL and no
// outer blank, numbers stay finite and written positions read back.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
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

    // Ports: what is taken is a run of digits, blanks around it, that spells
    // the port; such a run that spells a real port is never refused; every
    // port's own decimal text is taken back.
    const auto port = ParsePortText(text);
    const auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    std::size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    const std::wstring core = text.substr(first, last - first);
    const bool digits = !core.empty() && std::all_of(core.begin(), core.end(), [](wchar_t c) {
        return c >= L'0' && c <= L'9';
    });
    // The value without its leading zeros, so that a long run stays in range of stoul.
    const std::size_t nonZero = core.find_first_not_of(L'0');
    const std::string significant = nonZero == std::wstring::npos ? "0" : std::string(core.begin() + nonZero, core.end());
    if (port) {
        if (!digits || significant.size() > 5 || *port == 0 || std::stoul(significant) != *port) std::abort();
    } else if (digits && significant.size() <= 5) {
        const unsigned long spelled = std::stoul(significant);
        if (spelled >= 1 && spelled <= 65535) std::abort();
    }
    if (size >= 2) {
        const unsigned n = 1 + ((static_cast<unsigned>(data[0]) << 8 | data[1]) % 65535);
        if (ParsePortText(std::to_wstring(n)) != std::optional<std::uint16_t>(static_cast<std::uint16_t>(n)))
            std::abort();
    }
    return 0;
}
