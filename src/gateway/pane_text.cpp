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
    text_ += text;
    lines_.Appended(text_, fit);
    MoveCaretToEnd();
}

void PaneText::Replace(std::wstring text, const Fit& fit) {
    text_ = std::move(text);
    caret_ = anchor_ = 0;
    lines_.Rewrap(text_, fit);
}

std::wstring PaneText::ShownLine(std::size_t line) const {
    const std::size_t start = LineStart(line);
    return ShownChars(text_.data() + start, LineEnd(line) - start);
}

std::wstring PaneText::Selected() const { return text_.substr(SelectionStart(), SelectionEnd() - SelectionStart()); }

void PaneText::PlaceCaret(std::size_t offset, bool extend) {
    caret_ = offset < text_.size() ? offset : text_.size();
    if (!extend) anchor_ = caret_;
}

void PaneText::MoveCaretToEnd() { caret_ = anchor_ = text_.size(); }

void PaneText::SelectAll() {
    anchor_ = 0;
    caret_ = text_.size();
}

std::size_t PaneText::Clamped(long offset) const {
    return offset < 0 ? text_.size() : std::min(static_cast<std::size_t>(offset), text_.size());
}

void PaneText::Select(long start, long end) {
    caret_ = Clamped(end);
    anchor_ = start < 0 ? caret_ : Clamped(start);
}

std::size_t PaneText::LineFromChar(long offset) const { return LineOf(offset < 0 ? caret_ : Clamped(offset)); }

long PaneText::LineIndex(long line) const {
    const std::size_t which = line < 0 ? LineOf(caret_) : static_cast<std::size_t>(line);
    return which < LineCount() ? static_cast<long>(LineStart(which)) : -1;
}
