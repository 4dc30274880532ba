#pragma once
#include <string>
#include <string_view>

// The read buffer's size: 254 characters and the terminator.
constexpr unsigned kProfileBufferSize = 255;

std::wstring TrimSpaces(std::wstring_view text);
// A text value from the whole read buffer: spaces trimmed, NULs removed.
std::wstring CleanProfileText(std::wstring_view buffer);
// The leading number of the trimmed buffer, "." as the only decimal point;
// 0 when the text has none.
float LeadingNumber(std::wstring_view text);
// A single-precision value as text: at most seven significant digits, a
// decimal separator only when there is a fraction.
std::wstring SingleToText(float value, wchar_t decimalSeparator);
