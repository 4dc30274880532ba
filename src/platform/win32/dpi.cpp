#include "platform/win32/dpi.h"

namespace dpi {
namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? static_cast<UINT>(value) : 96;
}
}  // namespace

UINT ForWindow(HWND window) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT value = getDpiForWindow(window);
        if (value) return value;
    }
    return ForSystem();
}

UINT ForSystem() {
    static const auto getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (getDpiForSystem) {
        const UINT value = getDpiForSystem();
        if (value) return value;
    }
    return ScreenDpi();
}

RECT ToPixels(const TwipRect& r, UINT dotsPerInch) {
    RECT px;
    px.left = TwipsToPixels(r.left, dotsPerInch);
    px.top = TwipsToPixels(r.top, dotsPerInch);
    px.right = px.left + TwipsToPixels(r.width, dotsPerInch);
    px.bottom = px.top + TwipsToPixels(r.height, dotsPerInch);
    return px;
}

handles::Font MakeFont(const wchar_t* face, double points, bool bold, UINT dotsPerInch) {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(points * dotsPerInch / 72.0 + 0.5);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return handles::Font(CreateFontIndirectW(&lf));
}

SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, UINT dotsPerInch) {
    RECT r{0, 0, TwipsToPixels(clientWidthTwips, dotsPerInch), TwipsToPixels(clientHeightTwips, dotsPerInch)};
    static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    if (adjustForDpi) {
        adjustForDpi(&r, style, FALSE, exStyle, dotsPerInch);
    } else {
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace dpi
