#pragma once
#include <string>
#include <string_view>

// The one place where text crosses a byte boundary (datagrams, the settings
// file, the tray tip, form encoding): the system's ANSI code page.
class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    virtual std::string ToAnsi(std::wstring_view text) const = 0;
    virtual std::wstring FromAnsi(std::string_view bytes) const = 0;
    // Decodes bytes in a named code page (reply charsets); returns false when
    // the code page is not available on this system.
    virtual bool FromCodePage(unsigned codePage, std::string_view bytes, std::wstring& text) const = 0;
    virtual wchar_t DecimalSeparator() const = 0;
};
