#include "platform/win32/pane_view.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace {

int ClampToInt(long long n) { return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX)); }

}  // namespace

void PaneView::Measure(HDC dc) {
    TEXTMETRICW metrics{};
    if (dc && GetTextMetricsW(dc, &metrics)) {
        at_.lineHeight = std::max<int>(1, metrics.tmHeight);
        at_.margin = std::max<int>(1, metrics.tmAveCharWidth / 3);
    }
    RECT client{};
    GetClientRect(hwnd_, &client);
    wrapWidth_ = std::max<int>(1, client.right - 2 * at_.margin);
}

PaneText::Fit PaneView::Measurer(HDC dc) const {
    const int width = wrapWidth_;
    return [dc, width](const wchar_t* chars, std::size_t count) -> std::size_t {
        const std::wstring shown = ShownChars(chars, count);
        int fit = 0;
        SIZE size{};
        if (!dc || !GetTextExtentExPointW(dc, shown.data(), ClampToInt(static_cast<long long>(count)), width, &fit,
                                          nullptr, &size))
            return count;
        return static_cast<std::size_t>(std::max(fit, 0));
    };
}

void PaneView::KeepWithinText() { at_.firstLine = std::min(at_.firstLine, LastFirstLine()); }

int PaneView::VisibleLines() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return std::max<int>(1, client.bottom / at_.lineHeight);
}

std::size_t PaneView::LastFirstLine() const {
    const std::size_t visible = static_cast<std::size_t>(VisibleLines());
    return text_.LineCount() > visible ? text_.LineCount() - visible : 0;
}

void PaneView::ScrollTo(std::size_t first) {
    const std::size_t wanted = std::min(first, LastFirstLine());
    if (wanted != at_.firstLine) {
        at_.firstLine = wanted;
        InvalidateRect(hwnd_, nullptr, FALSE);
        PlaceSystemCaret();
    }
    UpdateScrollBar();
}

void PaneView::ScrollBy(long long lines) { ScrollTo(ScrolledLine(at_.firstLine, lines, LastFirstLine())); }

void PaneView::OnScrollBar(int code) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(hwnd_, SB_VERT, &info);
    switch (code) {
    case SB_LINEUP: ScrollBy(-1); break;
    case SB_LINEDOWN: ScrollBy(1); break;
    case SB_PAGEUP: ScrollBy(-PageLines()); break;
    case SB_PAGEDOWN: ScrollBy(PageLines()); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(LastFirstLine()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(static_cast<std::size_t>(std::max(info.nTrackPos, 0))); break;
    default: break;
    }
}

void PaneView::ShowCaretLine() {
    const std::size_t line = text_.CaretLine();
    const std::size_t visible = static_cast<std::size_t>(VisibleLines());
    if (line < at_.firstLine) ScrollTo(line);
    else if (line >= at_.firstLine + visible) ScrollTo(line + 1 - visible);
    else UpdateScrollBar();
    PlaceSystemCaret();
}

void PaneView::UpdateScrollBar() const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = ClampToInt(static_cast<long long>(text_.LineCount()) - 1);
    info.nPage = static_cast<UINT>(VisibleLines());
    info.nPos = ClampToInt(static_cast<long long>(at_.firstLine));
    // Drawn with the frame, when the thread is free: under Wine drawing a
    // scroll bar costs some 10 ms a pane.
    SetScrollInfo(hwnd_, SB_VERT, &info, FALSE);
}

int PaneView::XOf(std::size_t line, std::size_t offset) const {
    const std::size_t start = text_.LineStart(line);
    const std::size_t count = std::clamp(offset, start, text_.LineEnd(line)) - start;
    if (count == 0) return at_.margin;
    const std::wstring shown = text_.ShownLine(line);
    const handles::MeasuringDc dc(hwnd_, font_);
    SIZE size{};
    if (!dc.get() || !GetTextExtentPoint32W(dc.get(), shown.data(), ClampToInt(static_cast<long long>(count)), &size))
        return at_.margin;
    return ClampToInt(static_cast<long long>(at_.margin) + size.cx);
}

std::size_t PaneView::OffsetAt(std::size_t line, int x) const {
    const std::size_t start = text_.LineStart(line);
    const std::wstring shown = text_.ShownLine(line);
    const int into = x - at_.margin;
    if (into <= 0 || shown.empty()) return start;
    // Where each character ends; the caret goes to the nearer side of the one under x.
    std::vector<int> ends(shown.size());
    const handles::MeasuringDc dc(hwnd_, font_);
    SIZE size{};
    if (!dc.get() || !GetTextExtentExPointW(dc.get(), shown.data(), ClampToInt(static_cast<long long>(shown.size())),
                                            0, nullptr, ends.data(), &size))
        return start;
    const auto after = std::lower_bound(ends.begin(), ends.end(), into);
    if (after == ends.end()) return start + shown.size();
    const std::size_t under = static_cast<std::size_t>(after - ends.begin());
    const int left = under == 0 ? 0 : ends[under - 1];
    return start + (into - left < *after - into ? under : under + 1);
}

std::size_t PaneView::LineAt(int y) const {
    const long long h = at_.lineHeight;
    const long long row = y >= 0 ? y / h : -((h - 1 - y) / h);
    return ScrolledLine(at_.firstLine, row, text_.LineCount() - 1);
}

POINT PaneView::PointOf(std::size_t offset, std::size_t line) const {
    const long long row = static_cast<long long>(line) - static_cast<long long>(at_.firstLine);
    return POINT{XOf(line, offset), ClampToInt(row * at_.lineHeight)};
}

RECT PaneView::TextRect() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return RECT{at_.margin, 0, std::max<LONG>(at_.margin, client.right - at_.margin), client.bottom};
}

void PaneView::CreateSystemCaret() {
    // The operator's caret width: wider carets are an accessibility setting.
    DWORD width = 1;
    SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &width, 0);
    if (!CreateCaret(hwnd_, nullptr, static_cast<int>(std::clamp<DWORD>(width, 1, 64)), at_.lineHeight)) return;
    hasCaret_ = true;
    PlaceSystemCaret();
    ShowCaret(hwnd_);
}

void PaneView::DestroySystemCaret() {
    if (!hasCaret_) return;
    hasCaret_ = false;
    DestroyCaret();
}

void PaneView::PlaceSystemCaret() const {
    if (!hasCaret_) return;
    const POINT at = CaretPoint();
    SetCaretPos(at.x, at.y);
}
