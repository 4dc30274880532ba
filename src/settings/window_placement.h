#pragma once
#include <optional>
#include <vector>

#include "platform/screen_rect.h"

// Where a window goes so that the operator can see it. A window that touches
// a work area stays exactly where it is (nullopt); one that touches none, say
// on a monitor that has since been unplugged, is centred on the work area
// nearest to it, as Windows places a new window.
std::optional<ScreenPoint> PlaceWhereVisible(const ScreenRect& window, const std::vector<ScreenRect>& workAreas);
