#pragma once
#include <string_view>

#include "platform/ansi_codec.h"

// How the next start reads back a value saved as typed, and why it would
// differ: the file holds it in the code page, on one line, and the profile
// functions drop blanks and a pair of quotes around it and give back at most
// 254 bytes.
enum class ReadBack { Same, LineBreak, NotInCodePage, TooLong, BlankAtEnd, QuotesAtEnds };

ReadBack ReadBackOf(std::wstring_view value, const AnsiCodec& codec);
