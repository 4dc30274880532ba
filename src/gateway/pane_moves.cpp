#include "gateway/pane_moves.h"

#include <algorithm>
#include <cstdint>

namespace {

enum class Kind { Blank, LineBreak, Punctuation, Word };

Kind KindOf(wchar_t c) {
    if (c == L'\r' || c == L'\n') return Kind::LineBreak;
    if (c == L' ' || c == L'\t' || c == 0x00A0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A)) return Kind::Blank;
    if (c < 0x80) {
        const bool alnum = (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
        return alnum || c == L'_' ? Kind::Word : Kind::Punctuation;
    }
    // Latin-1's signs, the punctuation and symbol blocks (the control
    // pictures a lone CR or LF shows as among them), CJK punctuation.
    if ((c >= 0x00A1 && c <= 0x00BF && c != 0x00AA && c != 0x00B5 && c != 0x00BA) || c == 0x00D7 || c == 0x00F7 ||
        (c >= 0x2010 && c <= 0x2BFF) || (c >= 0x3001 && c <= 0x303F))
        return Kind::Punctuation;
    return Kind::Word;
}

bool IsJoiner(wchar_t c) { return c == L'.' || c == L'-' || c == L'/' || c == L'@'; }

Kind KindAt(const std::wstring& t, std::size_t i) {
    const Kind kind = KindOf(t[i]);
    if (kind == Kind::Punctuation && IsJoiner(t[i]) && i > 0 && i + 1 < t.size() &&
        KindOf(t[i - 1]) == Kind::Word && KindOf(t[i + 1]) == Kind::Word)
        return Kind::Word;
    return kind;
}

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// A CR LF and a surrogate pair are one step of the caret.
std::size_t NextStop(const std::wstring& t, std::size_t i) {
    if (i >= t.size()) return t.size();
    if (i + 1 < t.size() && ((t[i] == L'\r' && t[i + 1] == L'\n') || (IsHigh(t[i]) && IsLow(t[i + 1])))) return i + 2;
    return i + 1;
}

std::size_t PreviousStop(const std::wstring& t, std::size_t i) {
    if (i == 0) return 0;
    if (i >= 2 && ((t[i - 2] == L'\r' && t[i - 1] == L'\n') || (IsHigh(t[i - 2]) && IsLow(t[i - 1])))) return i - 2;
    return i - 1;
}

std::size_t WordRight(const std::wstring& t, std::size_t i) {
    if (i >= t.size()) return t.size();
    const Kind kind = KindAt(t, i);
    if (kind == Kind::LineBreak) {
        i = NextStop(t, i);
    } else if (kind != Kind::Blank) {
        while (i < t.size() && KindAt(t, i) == kind) ++i;
    }
    while (i < t.size() && KindAt(t, i) == Kind::Blank) ++i;
    return i;
}

std::size_t WordLeft(const std::wstring& t, std::size_t i) {
    if (i == 0) return 0;
    if (KindAt(t, i - 1) == Kind::LineBreak) return PreviousStop(t, i);
    while (i > 0 && KindAt(t, i - 1) == Kind::Blank) --i;
    if (i == 0 || KindAt(t, i - 1) == Kind::LineBreak) return i;
    const Kind kind = KindAt(t, i - 1);
    while (i > 0 && KindAt(t, i - 1) == kind) --i;
    return i;
}

// The line ends at `offset` without a CR LF: the next line starts there too.
bool WrapsAt(const PaneText& text, std::size_t line, std::size_t offset) {
    return offset == text.LineEnd(line) && line + 1 < text.LineCount() && text.LineStart(line + 1) == offset;
}

}  // namespace

void PlaceCaretOnLine(PaneText& text, std::size_t line, int x, bool extend, const LineMeasure& measure) {
    const std::wstring& t = text.Text();
    std::size_t offset = std::clamp(measure.OffsetAt(line, x), text.LineStart(line), text.LineEnd(line));
    if (offset > 0 && offset < t.size() && IsLow(t[offset]) && IsHigh(t[offset - 1])) --offset;
    text.PlaceCaret(offset, extend, WrapsAt(text, line, offset));
}

void MoveCaret(PaneText& text, CaretMove move, bool extend, std::size_t pageLines, const LineMeasure& measure) {
    const std::wstring& t = text.Text();
    const std::size_t caret = text.Caret();
    const std::size_t line = text.CaretLine();
    const std::size_t lineEnd = text.LineEnd(line);
    // Without Shift an arrow first lets go of the selection, at its side.
    if (!extend && text.HasSelection() && (move == CaretMove::Left || move == CaretMove::Right)) {
        text.PlaceCaret(move == CaretMove::Left ? text.SelectionStart() : text.SelectionEnd(), false);
        return;
    }
    switch (move) {
    case CaretMove::Left: text.PlaceCaret(PreviousStop(t, caret), extend); return;
    case CaretMove::Right: text.PlaceCaret(NextStop(t, caret), extend); return;
    case CaretMove::WordLeft: text.PlaceCaret(WordLeft(t, caret), extend); return;
    case CaretMove::WordRight: text.PlaceCaret(WordRight(t, caret), extend); return;
    case CaretMove::LineStart: text.PlaceCaret(text.LineStart(line), extend); return;
    case CaretMove::LineEnd: text.PlaceCaret(lineEnd, extend, WrapsAt(text, line, lineEnd)); return;
    case CaretMove::TextStart: text.PlaceCaret(0, extend); return;
    case CaretMove::TextEnd: text.PlaceCaret(t.size(), extend); return;
    case CaretMove::Up:
    case CaretMove::Down:
    case CaretMove::PageUp:
    case CaretMove::PageDown: break;
    }
    const bool back = move == CaretMove::Up || move == CaretMove::PageUp;
    const std::size_t by = move == CaretMove::Up || move == CaretMove::Down ? 1 : std::max<std::size_t>(pageLines, 1);
    const std::size_t target = back ? (line > by ? line - by : 0) : std::min(line + by, text.LineCount() - 1);
    if (target == line) {
        text.PlaceCaret(caret, extend, line != text.LineOf(caret));
        return;
    }
    PlaceCaretOnLine(text, target, measure.XOf(line, caret), extend, measure);
}

std::pair<std::size_t, std::size_t> WordAt(const std::wstring& text, std::size_t offset) {
    std::size_t at = std::min(offset, text.size());
    if (at == text.size() || KindAt(text, at) == Kind::LineBreak) {
        if (at == 0 || KindAt(text, at - 1) == Kind::LineBreak) return {at, at};
        --at;
    }
    const Kind kind = KindAt(text, at);
    std::size_t first = at;
    std::size_t last = at + 1;
    while (first > 0 && KindAt(text, first - 1) == kind) --first;
    while (last < text.size() && KindAt(text, last) == kind) ++last;
    return {first, last};
}

std::size_t ScrolledLine(std::size_t first, long long by, std::size_t last) {
    const std::uint64_t from = std::min(first, last);
    if (by < 0) {
        const std::uint64_t up = static_cast<std::uint64_t>(-(by + 1)) + 1;  // -by, also for the lowest count
        return up >= from ? 0 : static_cast<std::size_t>(from - up);
    }
    const std::uint64_t down = static_cast<std::uint64_t>(by);
    return down >= last - from ? last : static_cast<std::size_t>(from + down);
}

long long WheelTurns::Lines(int delta, unsigned long linesPerNotch) {
    if (delta == 0 || linesPerNotch == 0) return 0;
    // A turn the other way starts afresh rather than paying back the last one's rest.
    if (pending_ != 0 && (pending_ > 0) != (delta > 0)) pending_ = 0;
    pending_ += static_cast<long long>(delta) * std::min<unsigned long>(linesPerNotch, 1ul << 20);
    const long long lines = pending_ / 120;
    pending_ -= lines * 120;
    return -lines;
}
