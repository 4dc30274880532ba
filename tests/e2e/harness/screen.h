#pragma once
#include "win.h"

namespace e2e {

// The DPI the screen runs at, and twips (1/1440 inch) in its pixels.
inline int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}
inline double PixelsToTwips(int pixels) { return pixels * 1440.0 / ScreenDpi(); }
inline int TwipsToPixels(double twips) { return static_cast<int>(twips * ScreenDpi() / 1440.0 + 0.5); }

}  // namespace e2e
