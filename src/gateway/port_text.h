#pragma once
#include <cstdint>
#include <optional>
#include <string>

// A port text the listener can bind: a whole number from 1 to 65535, with
// blanks (spaces, tabs) around it and leading zeros allowed, since the socket
// layer took such texts as that number. Port 0 would bind a random port and
// receive nothing.
std::optional<std::uint16_t> ParsePortText(const std::wstring& text);
