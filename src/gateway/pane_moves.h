#pragma once
#include <cstddef>
#include <string>
#include <utility>

#include "gateway/pane_text.h"

// Where the keys take a pane's caret, what a double-click selects, and how
// far the view scrolls: the rules the pane's window follows.

enum class CaretMove {
    Left, Right, WordLeft, WordRight, Up, Down, PageUp, PageDown, LineStart, LineEnd, TextStart, TextEnd
};

// Where text shows on its shown line, in the pane's pixels: the window measures.
class LineMeasure {
public:
    virtual ~LineMeasure() = default;
    // Where a caret before `offset` stands on `line`.
    virtual int XOf(std::size_t line, std::size_t offset) const = 0;
    // The caret position on `line` nearest to x.
    virtual std::size_t OffsetAt(std::size_t line, int x) const = 0;
};

// Moves the caret as the key does in a text box; `extend` (Shift) keeps the
// other end of the selection. Up and down keep the caret's x; a page is
// `pageLines` lines.
void MoveCaret(PaneText& text, CaretMove move, bool extend, std::size_t pageLines, const LineMeasure& measure);

// Puts the caret on `line` nearest to x, as a click there does.
void PlaceCaretOnLine(PaneText& text, std::size_t line, int x, bool extend, const LineMeasure& measure);

// What a double-click at `offset` selects: the word there (dots, dashes,
// slashes and at signs between letters or digits belong to it, as in a
// frequency, a date, a portable call or an address), else the run of
// punctuation or of blanks. At a line's end, what ends the line.
std::pair<std::size_t, std::size_t> WordAt(const std::wstring& text, std::size_t offset);

// The first shown line after scrolling `by` lines from `first`, kept within
// 0..last whatever the count: another program may send any.
std::size_t ScrolledLine(std::size_t first, long long by, std::size_t last);

// Adds up the wheel's turns, which precise wheels and touch pads send in
// small parts of a notch (120).
class WheelTurns {
public:
    // The lines to scroll by (below 0: towards the start) for a turn of
    // `delta` (above 0: away from the operator) at `linesPerNotch` lines.
    long long Lines(int delta, unsigned long linesPerNotch);

private:
    long long pending_ = 0;  // lines × 120 turned but not yet scrolled
};
