#pragma once
#include "platform/ansi_codec.h"

class AnsiCodecWin32 : public AnsiCodec {
public:
    std::string ToAnsi(std::wstring_view text) const override;
    std::wstring FromAnsi(std::string_view bytes) const override;
    bool FromCodePage(unsigned codePage, std::string_view bytes, std::wstring& text) const override;
    wchar_t DecimalSeparator() const override;
};
