#include "settings/window_placement.h"

#include <algorithm>

namespace {
bool Overlaps(const ScreenRect& a, const ScreenRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// How far apart two rectangles lie; 0 when they touch.
float GapBetween(const ScreenRect& a, const ScreenRect& b) {
    const float dx = std::max({0.0f, b.left - (a.left + a.width), a.left - (b.left + b.width)});
    const float dy = std::max({0.0f, b.top - (a.top + a.height), a.top - (b.top + b.height)});
    return dx * dx + dy * dy;
}
}  // namespace

std::optional<ScreenPoint> PlaceWhereVisible(const ScreenRect& window, const std::vector<ScreenRect>& workAreas) {
    if (workAreas.empty()) return std::nullopt;  // nothing known of the screens: leave it
    const ScreenRect* nearest = &workAreas.front();
    for (const ScreenRect& area : workAreas) {
        if (Overlaps(window, area)) return std::nullopt;
        if (GapBetween(window, area) < GapBetween(window, *nearest)) nearest = &area;
    }
    // Centred; a window larger than the area keeps its top-left corner on it.
    ScreenPoint at;
    at.left = nearest->left + std::max(0.0f, (nearest->width - window.width) / 2);
    at.top = nearest->top + std::max(0.0f, (nearest->height - window.height) / 2);
    return at;
}
