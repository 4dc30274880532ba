#include "settings/read_back.h"

#include "settings/profile_values.h"

namespace {
// What the profile functions trim from a value's ends, ^Z among them.
bool IsProfileBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == L'\x1a'; }
bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }
}  // namespace

ReadBack ReadBackOf(std::wstring_view value, const AnsiCodec& codec) {
    if (value.find_first_of(L"\r\n") != std::wstring_view::npos) return ReadBack::LineBreak;
    const std::string bytes = codec.ToAnsi(value);
    if (codec.FromAnsi(bytes) != value) return ReadBack::NotInCodePage;
    if (bytes.size() > kProfileBufferSize - 1) return ReadBack::TooLong;
    if (value.empty()) return ReadBack::Same;
    if (IsProfileBlank(value.front()) || IsProfileBlank(value.back())) return ReadBack::BlankAtEnd;
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) return ReadBack::QuotesAtEnds;
    return ReadBack::Same;
}
