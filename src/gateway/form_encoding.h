#pragma once
#include <string>
#include <string_view>

#include "platform/ansi_codec.h"

// Letters and digits stay; every other byte becomes %XX (upper-case hex).
std::string EncodeFormBytes(std::string_view bytes);
// The value's code-page bytes, encoded; a multi-byte character gives one
// escape per byte. Values of any length are encoded.
std::string EncodeFormValue(std::wstring_view value, const AnsiCodec& codec);
