#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "screen.h"
#include "win.h"

namespace e2e {

// What the screen shows in a rectangle, as 0x00RRGGBB.
struct Picture {
    RECT where{};  // screen coordinates
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture CaptureScreen(const RECT& screenRect);
// The window's client area once two captures in a row agree.
Picture CaptureClientSettled(HWND window, DWORD timeoutMs = 5000);
// A system colour as the pictures hold it.
DWORD PictureColour(int sysColorIndex);
// Writes a 24-bit BMP; the folder comes from VANTARY_PICTURES, and nothing is
// written when it is not set. Returns the path written.
std::wstring SavePicture(const Picture& picture, const std::string& name);

}  // namespace e2e
