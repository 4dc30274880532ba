#pragma once

// A rectangle on the desktop, in twips from the primary screen's top-left corner.
struct ScreenRect {
    float left = 0, top = 0, width = 0, height = 0;
};

struct ScreenPoint {
    float left = 0, top = 0;
};
