#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "gateway/pane_moves.h"

namespace {

// Every character one unit wide, ten to a line; x counts characters.
class FixedWidth : public LineMeasure {
public:
    explicit FixedWidth(const PaneText& text) : text_(text) {}
    static PaneText::Fit Fit() {
        return [](const wchar_t*, std::size_t count) { return std::min<std::size_t>(count, 10); };
    }
    int XOf(std::size_t line, std::size_t offset) const override {
        return static_cast<int>(std::clamp(offset, text_.LineStart(line), text_.LineEnd(line)) - text_.LineStart(line));
    }
    std::size_t OffsetAt(std::size_t line, int x) const override {
        return std::min(text_.LineStart(line) + static_cast<std::size_t>(std::max(x, 0)), text_.LineEnd(line));
    }

private:
    const PaneText& text_;
};

TEST(PaneMoves, KeysMoveTheCaretAsInATextBoxAndShiftSelects) {
    // Shown lines: "alpha beta " and "gamma " (wrapped), "delta", "x" + a surrogate pair + "y", "".
    PaneText text;
    text.Append(L"alpha beta gamma delta\r\nx\xD83D\xDE00y\r\n", FixedWidth::Fit());
    const FixedWidth measure(text);
    const struct {
        CaretMove move;
        bool shift;
        std::size_t caret, line;
        std::wstring selected;
        const char* why;
    } steps[] = {
        {CaretMove::Up, true, 24, 3, L"x\xD83D\xDE00y\r\n", "Shift+Up from the end selects the last line"},
        {CaretMove::Left, false, 24, 3, L"", "Left lets go of the selection at its start"},
        {CaretMove::Left, false, 22, 2, L"", "a CR LF is one step"},
        {CaretMove::WordRight, false, 24, 3, L"", "Ctrl+Right from a line's end: the next line's start"},
        {CaretMove::Right, false, 25, 3, L"", ""},
        {CaretMove::Right, false, 27, 3, L"", "a surrogate pair is one step"},
        {CaretMove::TextStart, false, 0, 0, L"", ""},
        {CaretMove::LineEnd, false, 11, 0, L"", "End of a wrapped line stays on it, where the next starts"},
        {CaretMove::Down, true, 17, 1, L"gamma ", "Down keeps the x: the end of \"gamma \""},
        {CaretMove::PageUp, false, 6, 0, L"", "a page up stops at the first line, x kept"},
        {CaretMove::PageDown, false, 28, 3, L"", "a page down, at the end of a shorter line"},
        {CaretMove::TextEnd, true, 30, 4, L"\r\n", ""},
        {CaretMove::Down, false, 30, 4, L"", "Down on the last line lets go of the selection"},
        {CaretMove::WordLeft, false, 28, 3, L"", "Ctrl+Left from a line's start: the line before's end"},
        {CaretMove::WordLeft, false, 24, 3, L"", "a word, a surrogate pair in it"},
        {CaretMove::WordLeft, false, 22, 2, L"", ""},
        {CaretMove::WordLeft, false, 17, 2, L"", "a wrap is no stop of its own"},
    };
    for (const auto& step : steps) {
        MoveCaret(text, step.move, step.shift, 3, measure);
        EXPECT_EQ(text.Caret(), step.caret) << step.why;
        EXPECT_EQ(text.CaretLine(), step.line) << step.why;
        EXPECT_EQ(text.Selected(), step.selected) << step.why;
    }
    PlaceCaretOnLine(text, 3, 2, false, measure);
    EXPECT_EQ(text.Caret(), 25u) << "a click never splits a surrogate pair";
}

TEST(PaneMoves, ADoubleClickSelectsAWord) {
    const std::wstring record = L"<freq:9>14.074512 DL1ABC/P op@example.org 2024-05-12.  end\r\n\r\n";
    const std::pair<const wchar_t*, const wchar_t*> words[] = {
        {L"074", L"14.074512"}, {L"ABC", L"DL1ABC/P"}, {L"xample", L"op@example.org"}, {L"05-", L"2024-05-12"},
        {L"req", L"freq"},      {L"q:", L":"},         {L". ", L"  "},                 {L"d\r\n", L"end"}};
    for (const auto& [inside, word] : words) {
        const auto [first, last] = WordAt(record, record.find(inside) + 1);
        EXPECT_EQ(record.substr(first, last - first), word);
    }
    const std::size_t empty = record.size() - 2;
    EXPECT_EQ(WordAt(record, empty), std::make_pair(empty, empty)) << "an empty line has no word";
}

TEST(PaneScrolling, AnyCountStaysWithinTheTextAndTheWheelAddsUpItsParts) {
    for (long long by : {static_cast<long long>(INT_MAX), LLONG_MAX}) EXPECT_EQ(ScrolledLine(5, by, 100), 100u);
    for (long long by : {static_cast<long long>(INT_MIN), LLONG_MIN}) EXPECT_EQ(ScrolledLine(5, by, 100), 0u);
    EXPECT_EQ(ScrolledLine(5, -3, 100), 2u);
    EXPECT_EQ(ScrolledLine(5, 3, 100), 8u);

    WheelTurns wheel;
    long long lines = 0;
    for (int i = 0; i < 4; ++i) lines += wheel.Lines(30, 3);
    EXPECT_EQ(lines, -3) << "four quarter notches away from the operator: a notch up";
    EXPECT_EQ(wheel.Lines(30, 3), 0);
    EXPECT_EQ(wheel.Lines(-120, 3), 3) << "a turn back starts afresh";
    EXPECT_EQ(wheel.Lines(-120, 7), 7) << "the operator's lines per notch, or a page";
    EXPECT_EQ(wheel.Lines(-120, 0), 0);
    EXPECT_EQ(wheel.Lines(INT_MIN, ULONG_MAX), (2147483648ll << 20) / 120) << "no overflow";
}

}  // namespace
