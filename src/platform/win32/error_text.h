#pragma once
#include <string>

// The system's text for an error number, without the line end it comes with.
std::wstring SystemErrorText(unsigned long error);
