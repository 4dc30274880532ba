#pragma once
#include <string>

// Style values as the message boxes of the program use them.
namespace mb {
constexpr unsigned kOk = 0x0000;
constexpr unsigned kYesNo = 0x0004;
constexpr unsigned kIconError = 0x0010;
constexpr unsigned kIconWarning = 0x0030;
constexpr unsigned kIconInformation = 0x0040;
constexpr unsigned kDefButton2 = 0x0100;
constexpr unsigned kSystemModal = 0x1000;
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;
}  // namespace mb

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a box with the application title; returns the button pressed.
    virtual int Show(const std::wstring& text, unsigned style) = 0;
};
