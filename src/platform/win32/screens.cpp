#include "platform/win32/screens.h"

#include "platform/win32/dpi.h"

namespace screens {
namespace {
BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const UINT systemDpi = dpi::ForSystem();
    const RECT& r = info.rcWork;
    const ScreenRect area{dpi::PixelsToTwips(r.left, systemDpi), dpi::PixelsToTwips(r.top, systemDpi),
                          dpi::PixelsToTwips(r.right - r.left, systemDpi),
                          dpi::PixelsToTwips(r.bottom - r.top, systemDpi)};
    auto& areas = *reinterpret_cast<std::vector<ScreenRect>*>(list);
    if (info.dwFlags & MONITORINFOF_PRIMARY) areas.insert(areas.begin(), area);
    else areas.push_back(area);
    return TRUE;
}

RECT OuterRect(HWND window) {
    RECT r{};
    if (window) GetWindowRect(window, &r);
    return r;
}
}  // namespace

std::vector<ScreenRect> WorkAreas() {
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

float OuterWidth(HWND window) {
    const RECT r = OuterRect(window);
    return dpi::PixelsToTwips(r.right - r.left, dpi::ForSystem());
}

float OuterHeight(HWND window) {
    const RECT r = OuterRect(window);
    return dpi::PixelsToTwips(r.bottom - r.top, dpi::ForSystem());
}

}  // namespace screens
