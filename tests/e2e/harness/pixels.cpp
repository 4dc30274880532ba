#include "pixels.h"

#include <cstdlib>
#include <cstring>

#include "deadline.h"
#include "paths.h"

namespace e2e {

Picture CaptureScreen(const RECT& r) {
    Picture p;
    p.where = r;
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    if (p.width <= 0 || p.height <= 0) return p;
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, p.width, p.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::memcpy(p.pixels.data(), bits, p.pixels.size() * 4);
    for (auto& px : p.pixels) px &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return p;
}

Picture CaptureClientSettled(HWND window, DWORD timeoutMs) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Picture last = CaptureScreen(client);
    WaitUntil([&] {
        Picture next = CaptureScreen(client);
        const bool same = next.pixels == last.pixels;
        last = std::move(next);
        return same;
    }, timeoutMs, 100);
    return last;
}

DWORD PictureColour(int sysColorIndex) {
    const COLORREF c = GetSysColor(sysColorIndex);
    return (static_cast<DWORD>(GetRValue(c)) << 16) | (static_cast<DWORD>(GetGValue(c)) << 8) | GetBValue(c);
}

std::wstring SavePicture(const Picture& p, const std::string& name) {
    const char* folder = std::getenv("VANTARY_PICTURES");
    if (!folder || !*folder || p.pixels.empty()) return {};
    const std::wstring dir = ToWindowsPath(folder);
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring path = dir + L"\\" + Widen(name) + L".bmp";
    const int rowBytes = (p.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = p.width;
    info.biHeight = -p.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(rowBytes * p.height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(static_cast<size_t>(rowBytes), '\0');
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) std::memcpy(&row[static_cast<size_t>(x) * 3], &p.pixels[static_cast<size_t>(y) * p.width + x], 3);
        bytes += row;
    }
    return WriteFileBytes(path, bytes) ? path : std::wstring();
}

}  // namespace e2e
