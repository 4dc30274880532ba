#pragma once
#include <windows.h>

#include <cstddef>

#include "gateway/pane_moves.h"
#include "gateway/pane_text.h"
#include "platform/win32/pane_drawing.h"

// What of a monitor pane's text shows where: the line height and margins of
// its font, the first shown line and the scroll bar, the system caret, and
// the measuring between characters and pixels.
class PaneView : public LineMeasure {
public:
    explicit PaneView(const PaneText& text) : text_(text) {}
    PaneView(const PaneView&) = delete;
    PaneView& operator=(const PaneView&) = delete;

    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    void SetFont(HFONT font) { font_ = font; }
    HFONT Font() const { return font_; }
    const PaneGeometry& Geometry() const { return at_; }

    // Takes the line height and margins of the font and the client's width.
    void Measure(HDC dc);
    // How much of a text fits on a line, for wrapping it.
    PaneText::Fit Measurer(HDC dc) const;
    // Keeps the first line within a text that has been wrapped anew.
    void KeepWithinText();

    int VisibleLines() const;
    // What a page scrolls: a line of the last page stays in view.
    int PageLines() const { return VisibleLines() > 1 ? VisibleLines() - 1 : 1; }
    std::size_t FirstLine() const { return at_.firstLine; }
    void ScrollTo(std::size_t first);
    void ScrollBy(long long lines);
    void OnScrollBar(int code);
    // Scrolls just enough to show the caret's line.
    void ShowCaretLine();

    int XOf(std::size_t line, std::size_t offset) const override;
    std::size_t OffsetAt(std::size_t line, int x) const override;
    // The shown line at a y of the client area, the nearest one of the text.
    std::size_t LineAt(int y) const;
    // Where a caret before `offset` on `line` stands, in client pixels.
    POINT PointOf(std::size_t offset, std::size_t line) const;
    POINT CaretPoint() const { return PointOf(text_.Caret(), text_.CaretLine()); }
    // Where the text goes: the client area within the margins.
    RECT TextRect() const;

    // The blinking system caret, while the pane has the focus.
    void CreateSystemCaret();
    void DestroySystemCaret();
    void PlaceSystemCaret() const;

private:
    std::size_t LastFirstLine() const;
    void UpdateScrollBar() const;

    const PaneText& text_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;  // the parent's; it outlives the pane
    PaneGeometry at_;
    int wrapWidth_ = 0;
    bool hasCaret_ = false;
};
