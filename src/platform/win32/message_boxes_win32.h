#pragma once
#include <windows.h>

#include "platform/message_boxes.h"

inline const wchar_t kApplicationTitle[] = L"Vantary-gateway";

class MessageBoxesWin32 : public MessageBoxes {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    int Show(const std::wstring& text, unsigned style) override {
        return MessageBoxW(owner_, text.c_str(), kApplicationTitle, style);
    }

private:
    HWND owner_ = nullptr;
};
