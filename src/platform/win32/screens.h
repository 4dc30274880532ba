#pragma once
#include <windows.h>

#include <vector>

#include "platform/screen_rect.h"

// The desktop as the system sees it now, in twips at the system DPI, the unit
// the windows' positions are kept in.
namespace screens {

// The monitors' work areas, the primary one first.
std::vector<ScreenRect> WorkAreas();
// A window's outer size.
float OuterWidth(HWND window);
float OuterHeight(HWND window);

}  // namespace screens
