#include "gateway/pane_text.h"

#include <algorithm>
#include <utility>

std::wstring ShownChars(const wchar_t* chars, std::size_t count) {
    std::wstring shown(chars, count);
    for (wchar_t& c : shown) {
        if (c == L'\r') c = L'\x240D';
        else if (c == L'\n') c = L'\x240A';
    }
    return shown;
}

void PaneText::Append(const std::wstring& text, const Fit& fit) {
    const std::size_t before = text_.size();
    text_ += text;
    try {
        lines_.Appended(text_, fit);
    } catch (...) {
        text_.resize(before);
        throw;
    }
    MoveCaretToEnd();
}

void PaneText::Replace(const std::wstring& text, const Fit& fit) {
    std::wstring replaced = text;
    PaneLines lines;
    lines.Rewrap(replaced, fit);
    text_ = std::move(replaced);
    lines_ = std::move(lines);
    caret_ = anchor_ = 0;
    caretAtLineEnd_ = false;
}

std::wstring PaneText::ShownLine(std::size_t line) const {
    const std::size_t start = LineStart(line);
    return ShownChars(text_.data() + start, LineEnd(line) - start);
}

std::size_t PaneText::CaretLine() const {
    const std::size_t line = LineOf(caret_);
    const bool atWrap = line > 0 && LineStart(line) == caret_ && LineEnd(line - 1) == caret_;
    return caretAtLineEnd_ && atWrap ? line - 1 : line;
}

std::wstring PaneText::Selected() const { return text_.substr(SelectionStart(), SelectionEnd() - SelectionStart()); }

void PaneText::PlaceCaret(std::size_t offset, bool extend, bool atLineEnd) {
    caret_ = offset < text_.size() ? offset : text_.size();
    caretAtLineEnd_ = atLineEnd;
    if (!extend) anchor_ = caret_;
}

void PaneText::MoveCaretToEnd() {
    caret_ = anchor_ = text_.size();
    caretAtLineEnd_ = false;
}

void PaneText::SelectAll() {
    anchor_ = 0;
    caret_ = text_.size();
    caretAtLineEnd_ = false;
}

std::size_t PaneText::Clamped(long offset) const {
    return offset < 0 ? text_.size() : std::min(static_cast<std::size_t>(offset), text_.size());
}

void PaneText::Select(long start, long end) {
    caret_ = Clamped(end);
    anchor_ = start < 0 ? caret_ : Clamped(start);
    caretAtLineEnd_ = false;
}

std::size_t PaneText::LineFromChar(long offset) const {
    if (offset >= 0) return LineOf(Clamped(offset));
    return HasSelection() ? LineOf(SelectionStart()) : CaretLine();
}

long PaneText::LineIndex(long line) const {
    const std::size_t which = line < 0 ? CaretLine() : static_cast<std::size_t>(line);
    return which < LineCount() ? static_cast<long>(LineStart(which)) : -1;
}

std::size_t PaneText::LineLength(long offset) const {
    if (offset < 0) {
        const std::size_t first = LineOf(SelectionStart());
        const std::size_t last = LineOf(SelectionEnd());
        const std::size_t before = SelectionStart() - LineStart(first);
        const std::size_t lastEnd = LineEnd(last);
        return before + (lastEnd > SelectionEnd() ? lastEnd - SelectionEnd() : 0);
    }
    if (static_cast<std::size_t>(offset) > text_.size()) return 0;
    const std::size_t line = LineOf(static_cast<std::size_t>(offset));
    return LineEnd(line) - LineStart(line);
}
