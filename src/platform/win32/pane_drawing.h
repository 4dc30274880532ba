#pragma once
#include <windows.h>

#include <cstddef>

#include "gateway/pane_text.h"

// Drawing the monitor pane: where its lines go, the lines themselves, and
// the DCs it measures and paints with.

// Where a pane's lines go on its client area.
struct PaneGeometry {
    std::size_t firstLine = 0;
    int lineHeight = 1;
    int margin = 1;
};

// Draws the pane's lines that meet `paint`, the selection in its colours,
// with the font already selected into `dc`.
void DrawPaneLines(HDC dc, const RECT& paint, const RECT& client, const PaneText& text, const PaneGeometry& at);

// BeginPaint to EndPaint, also when drawing throws: a window that never
// ends its paint is asked to paint again and again.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintScope() {
        if (dc_) EndPaint(hwnd_, &ps_);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};
