#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "gateway/pane_lines.h"
#include "gateway/pane_text.h"

namespace {

// Every character one unit wide, `width` units a line; counts what it measures.
struct FixedWidth {
    std::size_t width;
    std::size_t measured = 0;
    PaneLines::Fit Fit() {
        return [this](const wchar_t*, std::size_t count) {
            measured += count;
            return std::min(count, width);
        };
    }
};

std::vector<std::wstring> Shown(const PaneLines& lines, const std::wstring& text) {
    std::vector<std::wstring> out;
    for (std::size_t i = 0; i < lines.Count(); ++i)
        out.push_back(text.substr(lines.Start(i), lines.End(i, text) - lines.Start(i)));
    return out;
}

using Lines = std::vector<std::wstring>;

TEST(PaneLines, WrapsAtBlanksAndBreaksOnlyWordsLongerThanTheLine) {
    FixedWidth fixed{10};
    PaneLines lines;
    const std::wstring text = L"[200] Result: 1 out of 1 records added\r\n<call:5>K1ABCDEFGHIJKL x\r\n\r\n";
    lines.Rewrap(text, fixed.Fit());
    EXPECT_EQ(Shown(lines, text), (Lines{L"[200] ", L"Result: 1 ", L"out of 1 ", L"records ", L"added",
                                         L"<call:5>K1", L"ABCDEFGHIJ", L"KL x", L"", L""}));
    // Blanks where a line is full stay on it rather than start the next.
    const std::wstring blanks = L"abcdefghij   klm";
    lines.Rewrap(blanks, fixed.Fit());
    EXPECT_EQ(Shown(lines, blanks), (Lines{L"abcdefghij   ", L"klm"}));
    lines.Rewrap(L"", fixed.Fit());
    EXPECT_EQ(lines.Count(), 1u);
}

TEST(PaneLines, AppendingInPiecesGivesTheLinesOfTheWholeText) {
    const std::wstring whole =
        L"<call:5>K1ABC <gridsquare:4>FN42\r\n[200] Result: 1 out of 1\r\nlone\rCR and lone\nLF \r\n\r\nend";
    FixedWidth fixed{7};
    PaneLines once;
    once.Rewrap(whole, fixed.Fit());
    // Cut everywhere, also between the CR and the LF of a line end.
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        PaneLines pieces;
        std::wstring text = whole.substr(0, cut);
        pieces.Rewrap(text, fixed.Fit());
        text = whole;
        pieces.Appended(text, fixed.Fit());
        ASSERT_EQ(Shown(pieces, text), Shown(once, whole)) << "cut at " << cut;
    }
    EXPECT_EQ(once.LineOf(0), 0u);
    EXPECT_EQ(once.LineOf(whole.size()), once.Count() - 1);
    EXPECT_EQ(once.LineOf(whole.find(L"[200]")), 5u);
}

TEST(PaneLines, AnAppendMeasuresWhatItAddsNotWhatThePaneHolds) {
    const std::wstring record = L"<call:5>K1ABC <gridsquare:4>FN42 <mode:3>FT8 <comment:6>BENCH1 <eor>\r\n";
    FixedWidth fixed{24};
    PaneLines lines;
    std::wstring text;
    lines.Rewrap(text, fixed.Fit());
    std::vector<std::size_t> perAppend;
    for (int i = 0; i < 2000; ++i) {
        text += record;
        fixed.measured = 0;
        lines.Appended(text, fixed.Fit());
        perAppend.push_back(fixed.measured);
    }
    EXPECT_EQ(perAppend[100], perAppend.back());
    EXPECT_LT(perAppend.back(), 4 * record.size());
    EXPECT_EQ(lines.Count(), 2000u * 4 + 1);
    // A paragraph far longer than a line is not measured whole for each line.
    const std::wstring longReply(100000, L'x');
    fixed.measured = 0;
    lines.Rewrap(longReply, fixed.Fit());
    EXPECT_EQ(lines.Count(), 100000u / 24 + 1);
    EXPECT_LT(fixed.measured, 4 * longReply.size());
}

}  // namespace

namespace {
TEST(PaneText, KeepsTheTextAsAppendedAndSelectsAsTheEditControlDoes) {
    FixedWidth width{10};
    PaneText pane;
    pane.Append(L"a\rb\r\n", width.Fit());
    pane.Append(L"second line\r\n", width.Fit());
    EXPECT_EQ(pane.Text(), L"a\rb\r\nsecond line\r\n");
    EXPECT_EQ(pane.ShownLine(0), L"a\x240D" L"b") << "a lone CR shows as its picture";
    EXPECT_EQ(pane.Caret(), pane.Text().size());

    pane.Select(5, 11);
    EXPECT_EQ(pane.Selected(), L"second");
    pane.Select(-1, 3);
    EXPECT_EQ(pane.Selected(), L"") << "a start below 0 selects nothing";
    pane.Select(5, -1);
    EXPECT_EQ(pane.SelectionEnd(), pane.Text().size());
    EXPECT_EQ(pane.LineIndex(-1), static_cast<long>(pane.LineStart(pane.LineOf(pane.Caret()))));
    EXPECT_EQ(pane.LineIndex(99), -1);

    // Lengths and lines of the selection, as EM_LINELENGTH and EM_LINEFROMCHAR give them.
    pane.Select(7, 9);
    EXPECT_EQ(pane.LineLength(-1), 5u) << "the unselected rest of the shown line \"second \"";
    EXPECT_EQ(pane.LineFromChar(-1), pane.LineOf(7));
    EXPECT_EQ(pane.LineLength(0), 3u);
    EXPECT_EQ(pane.LineLength(99), 0u);

    // A shorter text leaves no selection end beyond it.
    pane.Replace(L"x", width.Fit());
    EXPECT_EQ(pane.Selected(), L"");
    pane.PlaceCaret(40, true);
    EXPECT_EQ(pane.Selected(), L"x");
}

TEST(PaneText, AChangeThatFailsLeavesThePaneAsItWas) {
    bool fail = false;
    const PaneText::Fit fit = [&](const wchar_t*, std::size_t count) -> std::size_t {
        if (fail) throw std::bad_alloc();
        return std::min<std::size_t>(count, 6);
    };
    PaneText pane;
    pane.Append(L"first line\r\nsecond", fit);
    const auto lines = [&] {
        std::vector<std::wstring> shown;
        for (std::size_t i = 0; i < pane.LineCount(); ++i) shown.push_back(pane.ShownLine(i));
        return shown;
    };
    const std::vector<std::wstring> before = lines();
    fail = true;
    EXPECT_THROW(pane.Append(L" and more\r\n", fit), std::bad_alloc);
    EXPECT_THROW(pane.Replace(L"another text", fit), std::bad_alloc);
    EXPECT_THROW(pane.Rewrap(fit), std::bad_alloc);
    EXPECT_EQ(pane.Text(), L"first line\r\nsecond");
    EXPECT_EQ(lines(), before);
}
}  // namespace
