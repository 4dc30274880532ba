#pragma once
#include <cstddef>
#include <string>

#include "gateway/pane_lines.h"

// What a monitor pane holds: its text exactly as appended, where its shown
// lines start, the caret and the selection. The pane's window draws it and
// answers the edit control's questions through it. A change that throws
// (an allocation, the measuring) leaves the pane as it was.
class PaneText {
public:
    using Fit = PaneLines::Fit;

    const std::wstring& Text() const { return text_; }
    // Appends at the end; the caret goes to the new end, selecting nothing.
    void Append(const std::wstring& text, const Fit& fit);
    // A new text altogether, caret at its start.
    void Replace(const std::wstring& text, const Fit& fit);
    void Rewrap(const Fit& fit) { lines_.Rewrap(text_, fit); }

    std::size_t LineCount() const { return lines_.Count(); }
    std::size_t LineStart(std::size_t line) const { return lines_.Start(line); }
    // Before the line's CR LF, if it has one.
    std::size_t LineEnd(std::size_t line) const { return lines_.End(line, text_); }
    std::size_t LineOf(std::size_t offset) const { return lines_.LineOf(offset); }
    std::wstring ShownLine(std::size_t line) const;

    std::size_t Caret() const { return caret_; }
    // The line the caret shows on: where a line is wrapped, the end of one
    // line is the start of the next, and the caret may stand at either.
    std::size_t CaretLine() const;
    std::size_t SelectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
    std::size_t SelectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
    bool HasSelection() const { return caret_ != anchor_; }
    std::wstring Selected() const;
    // `extend` keeps the other end of the selection where it is; `atLineEnd`
    // shows a caret at a wrap at the end of the line before.
    void PlaceCaret(std::size_t offset, bool extend, bool atLineEnd = false);
    void MoveCaretToEnd();
    void SelectAll();
    // As the edit control takes them: a start below 0 selects nothing, an
    // end below 0 is the end of the text; a line or offset below 0 is the
    // caret's (the selection's start, if there is one); a line past the last
    // has no start (-1).
    void Select(long start, long end);
    std::size_t LineFromChar(long offset) const;
    long LineIndex(long line) const;
    // The length of the offset's line; for -1, the characters on the
    // selection's lines that it leaves out; 0 past the end.
    std::size_t LineLength(long offset) const;

private:
    std::size_t Clamped(long offset) const;

    std::wstring text_;
    PaneLines lines_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;  // the other end of the selection; caret_ when there is none
    bool caretAtLineEnd_ = false;
};

// A CR or LF that is not part of a CR LF would show as nothing, or as a box:
// it is drawn as its control picture, as NUL is appended as U+2400.
std::wstring ShownChars(const wchar_t* chars, std::size_t count);
