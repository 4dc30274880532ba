#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Where each shown line of a word-wrapping pane starts. The pane's text only
// grows at its end, so an append wraps its own text and the line it joins,
// never what lies above: the cost of an append does not grow with the pane.
class PaneLines {
public:
    // How many of the first `count` characters fit on one line.
    using Fit = std::function<std::size_t(const wchar_t* chars, std::size_t count)>;

    // Wraps the whole text anew, as after a change of width or font.
    // Either call leaves the lines as they were when `fit` or an allocation throws.
    void Rewrap(const std::wstring& text, const Fit& fit);
    // The text has grown at its end since the last wrap.
    void Appended(const std::wstring& text, const Fit& fit);

    std::size_t Count() const { return starts_.size(); }
    std::size_t Start(std::size_t line) const { return starts_[line]; }
    // Where the line's characters end: before its CR LF, if it has one.
    std::size_t End(std::size_t line, const std::wstring& text) const;
    std::size_t LineOf(std::size_t offset) const;

private:
    void WrapFrom(const std::wstring& text, std::size_t from, const Fit& fit, std::vector<std::uint32_t>& starts);
    std::size_t NextLineStart(const std::wstring& text, std::size_t pos, std::size_t paraEnd, const Fit& fit);

    // Four bytes a line keeps this small beside the text it indexes.
    std::vector<std::uint32_t> starts_{0};
    // How many characters to measure at once: a little more than fitted last
    // time, so that a long paragraph is not measured whole for every line.
    std::size_t ask_ = 64;
};
