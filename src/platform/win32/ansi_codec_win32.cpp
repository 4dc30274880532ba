#include "platform/win32/ansi_codec_win32.h"

#include <windows.h>

#include <climits>

namespace {
int Clamp(std::size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

std::wstring Decode(UINT codePage, std::string_view bytes, DWORD flags) {
    if (bytes.empty()) return {};
    const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), Clamp(bytes.size()), nullptr, 0);
    if (needed <= 0) return {};
    std::wstring text(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), Clamp(bytes.size()), text.data(), needed);
    return text;
}
}  // namespace

std::string AnsiCodecWin32::ToAnsi(std::wstring_view text) const {
    if (text.empty()) return {};
    // No best fit: a character the code page lacks becomes its default
    // character, never a look-alike ("l" for "\u0142") that changes the value.
    // UTF-8 and a few other code pages take no flags, and lack nothing.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int needed = WideCharToMultiByte(CP_ACP, flags, text.data(), Clamp(text.size()), nullptr, 0, nullptr, nullptr);
    if (needed <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        needed = WideCharToMultiByte(CP_ACP, flags, text.data(), Clamp(text.size()), nullptr, 0, nullptr, nullptr);
    }
    if (needed <= 0) return {};
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), Clamp(text.size()), bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

std::wstring AnsiCodecWin32::FromAnsi(std::string_view bytes) const { return Decode(CP_ACP, bytes, 0); }

bool AnsiCodecWin32::FromCodePage(unsigned codePage, std::string_view bytes, std::wstring& text) const {
    if (!IsValidCodePage(codePage)) return false;
    text = Decode(codePage, bytes, 0);
    return true;
}

wchar_t AnsiCodecWin32::DecimalSeparator() const {
    wchar_t separator[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    return separator[0] ? separator[0] : L'.';
}
