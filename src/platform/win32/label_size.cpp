#include "platform/win32/label_size.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/win32/handles.h"

namespace {
struct MemoryDcDeleter {
    void operator()(HDC dc) const noexcept { if (dc) DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, handles::GdiDeleter>;

// An object selected into a DC for as long as the scope lasts.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// How far a text reaches when drawn, which some fonts make wider than they
// measure (a bitmap face scaled to another size, a glyph that overhangs).
int DrawnWidth(HDC reference, HFONT font, const std::wstring& text, const SIZE& measured) {
    const int pad = measured.cy;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = measured.cx + measured.cx / 4 + 2 * pad;
    bi.bmiHeader.biHeight = -(measured.cy + 2);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const MemoryDc dc(CreateCompatibleDC(reference));
    const Bitmap canvas(dc ? CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
    if (!canvas || !bits) return measured.cx;
    const Selection selectedCanvas(dc.get(), canvas.get());
    const Selection selectedFont(dc.get(), font);
    const int width = bi.bmiHeader.biWidth;
    const int height = -bi.bmiHeader.biHeight;
    auto* pixels = static_cast<DWORD*>(bits);
    std::fill(pixels, pixels + static_cast<std::size_t>(width) * height, 0xFFFFFFu);
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    TextOutW(dc.get(), pad, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    for (int x = width - 1; x >= 0; --x)
        for (int y = 0; y < height; ++y)
            if ((pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFFu) != 0xFFFFFFu)
                return std::max<int>(x + 1 - pad, measured.cx);
    return measured.cx;
}
}  // namespace

RECT FitLabelToText(HWND label, HFONT font, const RECT& design, DWORD alignment) {
    const int length = GetWindowTextLengthW(label);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(label, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    if (text.empty()) text = L" ";
    const handles::MeasuringDc dc(label, font);
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc.get(), text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const SIZE measured{extent.right - extent.left, extent.bottom - extent.top};
    // A pixel to spare: smoothed glyphs reach a little past their advance.
    const int width = DrawnWidth(dc.get(), font, text, measured) + 1;
    RECT fitted = design;
    switch (alignment) {
    case SS_RIGHT: fitted.left = design.right - width; break;
    case SS_CENTER: fitted.left = design.left + ((design.right - design.left) - width) / 2; break;
    default: break;
    }
    fitted.right = fitted.left + width;
    fitted.bottom = fitted.top + measured.cy;
    return fitted;
}
