#pragma once
#include <windows.h>

#include "platform/win32/handles.h"

// Twips are 1/1440 inch; the pixels they cover depend on the real DPI.
namespace dpi {

UINT ForWindow(HWND window);
UINT ForSystem();

inline int TwipsToPixels(double twips, UINT dotsPerInch) {
    const double pixels = twips * dotsPerInch / 1440.0;
    // Hand-edited positions can be absurd; keep them within what a window can take.
    if (pixels > 1e7) return 10000000;
    if (pixels < -1e7) return -10000000;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}
inline float PixelsToTwips(int pixels, UINT dotsPerInch) {
    return static_cast<float>(pixels * 1440.0 / dotsPerInch);
}

// A control's place in twips, as the layout tables give it.
struct TwipRect {
    int left, top, width, height;
};
RECT ToPixels(const TwipRect& r, UINT dotsPerInch);

// A font of a point size at the window's DPI.
handles::Font MakeFont(const wchar_t* face, double points, bool bold, UINT dotsPerInch);

// Outer window size for a client area given in twips.
SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, UINT dotsPerInch);

}  // namespace dpi
