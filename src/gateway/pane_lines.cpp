#include "gateway/pane_lines.h"

#include <algorithm>

void PaneLines::Rewrap(const std::wstring& text, const Fit& fit) {
    std::vector<std::uint32_t> starts;
    WrapFrom(text, 0, fit, starts);
    starts_.swap(starts);
}

void PaneLines::Appended(const std::wstring& text, const Fit& fit) {
    // Lines above the last one end where they did: a greedy wrap only looks ahead
    // to the character after a line, and that one was there already.
    std::size_t kept = starts_.size() - 1;
    // A CR that began the last line may now be the CR of a line end, which
    // ends the line before.
    if (kept > 0 && text[starts_[kept]] == L'\r') --kept;
    std::vector<std::uint32_t> tail;
    WrapFrom(text, starts_[kept], fit, tail);
    // Room first, growing as push_back would: past this point nothing throws.
    const std::size_t needed = kept + tail.size();
    if (needed > starts_.capacity()) starts_.reserve(std::max(needed, 2 * starts_.capacity()));
    starts_.resize(kept);
    starts_.insert(starts_.end(), tail.begin(), tail.end());
}

std::size_t PaneLines::End(std::size_t line, const std::wstring& text) const {
    const std::size_t start = starts_[line];
    std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] : text.size();
    if (end >= start + 2 && text[end - 2] == L'\r' && text[end - 1] == L'\n') end -= 2;
    return end;
}

std::size_t PaneLines::LineOf(std::size_t offset) const {
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
    return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

void PaneLines::WrapFrom(const std::wstring& text, std::size_t from, const Fit& fit,
                         std::vector<std::uint32_t>& starts) {
    std::size_t pos = from;
    for (;;) {
        const std::size_t lineBreak = text.find(L"\r\n", pos);
        const std::size_t paraEnd = lineBreak == std::wstring::npos ? text.size() : lineBreak;
        do {
            starts.push_back(static_cast<std::uint32_t>(pos));
            pos = NextLineStart(text, pos, paraEnd, fit);
        } while (pos < paraEnd);
        if (lineBreak == std::wstring::npos) return;
        pos = lineBreak + 2;
    }
}

std::size_t PaneLines::NextLineStart(const std::wstring& text, std::size_t pos, std::size_t paraEnd,
                                     const Fit& fit) {
    const std::size_t left = paraEnd - pos;
    if (left == 0) return paraEnd;
    std::size_t asked = std::min(left, ask_);
    std::size_t fits = fit(text.data() + pos, asked);
    while (fits >= asked && asked < left) {
        asked = std::min(left, asked * 2);
        fits = fit(text.data() + pos, asked);
    }
    fits = std::min(fits, asked);
    ask_ = std::max<std::size_t>(fits + fits / 2 + 8, 16);
    if (fits == left) return paraEnd;
    std::size_t end = pos + fits;
    // Blanks where the line is full hang at its end, as in any editor.
    if (text[end] == L' ') {
        while (end < paraEnd && text[end] == L' ') ++end;
        return end;
    }
    for (std::size_t i = end; i > pos; --i)
        if (text[i - 1] == L' ') return i;
    // A word longer than the line breaks where the line is full.
    return pos + std::max<std::size_t>(fits, 1);
}
