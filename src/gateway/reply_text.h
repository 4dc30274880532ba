#pragma once
#include <string>
#include <string_view>

#include "platform/ansi_codec.h"

// The reply body as text: by the charset the Content-Type names, else UTF-8
// when the bytes are valid UTF-8, else the ANSI code page.
std::wstring DecodeReplyText(std::string_view body, std::wstring_view contentType, const AnsiCodec& codec);
