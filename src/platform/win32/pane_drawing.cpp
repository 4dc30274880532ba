#include "platform/win32/pane_drawing.h"

#include <algorithm>

void DrawPaneLines(HDC dc, const RECT& paint, const RECT& client, const PaneText& text, const PaneGeometry& at) {
    SetBkMode(dc, TRANSPARENT);
    const std::size_t selFrom = text.SelectionStart();
    const std::size_t selTo = text.SelectionEnd();
    for (std::size_t line = at.firstLine; line < text.LineCount(); ++line) {
        const int top = static_cast<int>(line - at.firstLine) * at.lineHeight;
        if (top >= client.bottom) break;
        if (top + at.lineHeight <= paint.top || top >= paint.bottom) continue;
        const std::size_t start = text.LineStart(line);
        const std::size_t end = text.LineEnd(line);
        const std::wstring shown = text.ShownLine(line);
        ExtTextOutW(dc, at.margin, top, ETO_CLIPPED, &client, shown.data(), static_cast<UINT>(shown.size()), nullptr);
        // The selected part of the line, drawn again over it in the selection's colours.
        const std::size_t from = std::clamp(selFrom, start, end);
        const std::size_t to = std::clamp(selTo, start, end);
        if (from == to) continue;
        SIZE before{}, through{};
        GetTextExtentPoint32W(dc, shown.data(), static_cast<int>(from - start), &before);
        GetTextExtentPoint32W(dc, shown.data(), static_cast<int>(to - start), &through);
        RECT band{at.margin + before.cx, top, at.margin + through.cx, top + at.lineHeight};
        IntersectRect(&band, &band, &client);
        const COLORREF ink = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        const COLORREF face = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc, at.margin + before.cx, top, ETO_CLIPPED | ETO_OPAQUE, &band, shown.data() + (from - start),
                    static_cast<UINT>(to - from), nullptr);
        SetTextColor(dc, ink);
        SetBkColor(dc, face);
    }
}

