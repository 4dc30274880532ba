#include "gateway/reply_text.h"

#include <cwctype>

namespace {

std::wstring Lower(std::wstring_view s) {
    std::wstring out(s);
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

void AppendCodePoint(std::wstring& text, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            text.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            text.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    text.push_back(static_cast<wchar_t>(cp));
}

struct NamedCodePage {
    const wchar_t* name;
    unsigned codePage;
};

// The charsets a web service is likely to name; others fall back.
constexpr NamedCodePage kCharsets[] = {
    {L"us-ascii", 20127},     {L"ascii", 20127},        {L"iso-8859-1", 28591},
    {L"latin1", 28591},       {L"iso-8859-2", 28592},   {L"iso-8859-5", 28595},
    {L"iso-8859-7", 28597},   {L"iso-8859-9", 28599},   {L"iso-8859-15", 28605},
    {L"windows-1250", 1250},  {L"windows-1251", 1251},  {L"windows-1252", 1252},
    {L"windows-1253", 1253},  {L"windows-1254", 1254},  {L"windows-1257", 1257},
    {L"koi8-r", 20866},       {L"koi8-u", 21866},       {L"shift_jis", 932},
    {L"euc-jp", 20932},       {L"gb2312", 936},         {L"gbk", 936},
    {L"big5", 950},           {L"euc-kr", 949},
};

std::wstring CharsetOf(std::wstring_view contentType) {
    const std::wstring lower = Lower(contentType);
    std::size_t pos = 0;
    while ((pos = lower.find(L"charset", pos)) != std::wstring::npos) {
        std::size_t i = pos + 7;
        while (i < lower.size() && lower[i] == L' ') ++i;
        if (i >= lower.size() || lower[i] != L'=') {
            pos = i;
            continue;
        }
        ++i;
        while (i < lower.size() && lower[i] == L' ') ++i;
        bool quoted = i < lower.size() && lower[i] == L'"';
        if (quoted) ++i;
        std::size_t end = i;
        while (end < lower.size() && lower[end] != L';' && lower[end] != L' ' && lower[end] != L'"') ++end;
        return lower.substr(i, end - i);
    }
    return {};
}

bool DecodeUtf8(std::string_view bytes, std::wstring& text) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            out.push_back(static_cast<wchar_t>(b0));
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        char32_t minimum;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            extra = 1; cp = b0 & 0x1F; minimum = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            extra = 2; cp = b0 & 0x0F; minimum = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            extra = 3; cp = b0 & 0x07; minimum = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i <= static_cast<std::size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        AppendCodePoint(out, cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    text = std::move(out);
    return true;
}

}  // namespace

std::wstring DecodeReplyText(std::string_view body, std::wstring_view contentType, const AnsiCodec& codec) {
    const std::wstring charset = CharsetOf(contentType);
    std::wstring text;
    if (charset == L"utf-8" || charset == L"utf8") {
        if (DecodeUtf8(body, text)) return text;
        return codec.FromAnsi(body);
    }
    for (const auto& named : kCharsets) {
        if (charset == named.name && codec.FromCodePage(named.codePage, body, text)) return text;
    }
    if (DecodeUtf8(body, text)) return text;
    return codec.FromAnsi(body);
}
