#include "platform/win32/monitor_pane.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

namespace {

constexpr const wchar_t* kPaneClass = L"VantaryGatewayPane";
constexpr DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY;

// Painting waits until no other message does, so in a burst of records a pane
// would stand still until the burst ended; after this long it paints at once.
constexpr ULONGLONG kLongestUnpaintedMs = 250;

// A CR or LF that is not part of a CR LF would show as nothing, or as a box:
// it is drawn as its control picture, as NUL is appended as U+2400.
std::wstring Shown(const wchar_t* chars, std::size_t count) {
    std::wstring shown(chars, count);
    for (wchar_t& c : shown) {
        if (c == L'\r') c = L'\x240D';
        else if (c == L'\n') c = L'\x240A';
    }
    return shown;
}

int ClampToInt(std::size_t n) { return static_cast<int>(std::min<std::size_t>(n, INT_MAX)); }

// A DC of the pane with its font selected, for measuring.
class MeasuringDc {
public:
    MeasuringDc(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
        if (dc_ && font) old_ = SelectObject(dc_, font);
    }
    ~MeasuringDc() {
        if (!dc_) return;
        if (old_) SelectObject(dc_, old_);
        ReleaseDC(hwnd_, dc_);
    }
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

MonitorPane::~MonitorPane() {
    // The window calls back into this object; it must not outlive it.
    if (hwnd_) DestroyWindow(hwnd_);
}

bool MonitorPane::Create(HWND parent, int controlId, HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPaneClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    return CreateWindowExW(WS_EX_CLIENTEDGE, kPaneClass, L"", kPaneStyle, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, this) != nullptr;
}

HWND MonitorPane::Handle() const { return hwnd_; }

void MonitorPane::SetFont(HFONT font) {
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void MonitorPane::Move(const RECT& pixels) {
    if (hwnd_) MoveWindow(hwnd_, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, TRUE);
}

void MonitorPane::Append(const std::wstring& text) {
    if (!hwnd_) return;
    caret_ = text_.size();
    text_ += text;
    {
        const MeasuringDc dc(hwnd_, font_);
        lines_.Appended(text_, Measurer(dc.get()));
    }
    MoveCaretToEnd();
}

void MonitorPane::MoveCaretToEnd() {
    if (!hwnd_) return;
    caret_ = text_.size();
    anchor_ = caret_;
    const std::size_t line = lines_.LineOf(caret_);
    const std::size_t visible = static_cast<std::size_t>(VisibleLines());
    if (line < firstLine_) ScrollTo(static_cast<std::ptrdiff_t>(line));
    else if (line >= firstLine_ + visible) ScrollTo(static_cast<std::ptrdiff_t>(line + 1 - visible));
    else UpdateScrollBar();
    RedrawLater();
}

PaneLines::Fit MonitorPane::Measurer(HDC dc) const {
    const int width = wrapWidth_;
    return [dc, width](const wchar_t* chars, std::size_t count) -> std::size_t {
        const std::wstring shown = Shown(chars, count);
        int fit = 0;
        SIZE size{};
        if (!dc || !GetTextExtentExPointW(dc, shown.data(), ClampToInt(count), width, &fit, nullptr, &size))
            return count;
        return static_cast<std::size_t>(std::max(fit, 0));
    };
}

void MonitorPane::Rewrap() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const MeasuringDc dc(hwnd_, font_);
    TEXTMETRICW metrics{};
    if (dc.get() && GetTextMetricsW(dc.get(), &metrics)) {
        lineHeight_ = std::max<int>(1, metrics.tmHeight);
        margin_ = std::max<int>(1, metrics.tmAveCharWidth / 3);
    }
    wrapWidth_ = std::max<int>(1, client.right - 2 * margin_);
    lines_.Rewrap(text_, Measurer(dc.get()));
    firstLine_ = std::min(firstLine_, lines_.Count() - 1);
}

int MonitorPane::VisibleLines() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return std::max<int>(1, client.bottom / lineHeight_);
}

void MonitorPane::ScrollTo(std::ptrdiff_t first) {
    const std::ptrdiff_t last = std::max<std::ptrdiff_t>(0, static_cast<std::ptrdiff_t>(lines_.Count()) - VisibleLines());
    const std::size_t wanted = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(first, 0, last));
    if (wanted != firstLine_) {
        firstLine_ = wanted;
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    UpdateScrollBar();
}

void MonitorPane::UpdateScrollBar() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = ClampToInt(lines_.Count() - 1);
    info.nPage = static_cast<UINT>(VisibleLines());
    info.nPos = ClampToInt(firstLine_);
    // Drawn with the frame, when the thread is free: under Wine drawing a
    // scroll bar costs some 10 ms a pane.
    SetScrollInfo(hwnd_, SB_VERT, &info, FALSE);
}

void MonitorPane::RedrawLater() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    const ULONGLONG now = GetTickCount64();
    if (!unpaintedSince_) unpaintedSince_ = now;
    else if (now - unpaintedSince_ >= kLongestUnpaintedMs) UpdateWindow(hwnd_);
}

void MonitorPane::OnScroll(int code) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(hwnd_, SB_VERT, &info);
    const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(firstLine_);
    const std::ptrdiff_t page = std::max<std::ptrdiff_t>(1, VisibleLines() - 1);
    switch (code) {
    case SB_LINEUP: ScrollTo(first - 1); break;
    case SB_LINEDOWN: ScrollTo(first + 1); break;
    case SB_PAGEUP: ScrollTo(first - page); break;
    case SB_PAGEDOWN: ScrollTo(first + page); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(PTRDIFF_MAX / 2); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
    default: break;
    }
}

std::size_t MonitorPane::OffsetAt(POINT at) const {
    const std::ptrdiff_t row = at.y < 0 ? -1 : at.y / lineHeight_;
    const std::ptrdiff_t wanted = static_cast<std::ptrdiff_t>(firstLine_) + row;
    const std::size_t line = static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(wanted, 0, static_cast<std::ptrdiff_t>(lines_.Count()) - 1));
    const std::size_t start = lines_.Start(line);
    const std::wstring shown = Shown(text_.data() + start, lines_.End(line, text_) - start);
    if (at.x <= margin_ || shown.empty()) return start;
    const MeasuringDc dc(hwnd_, font_);
    int fit = 0;
    SIZE size{};
    if (!dc.get() || !GetTextExtentExPointW(dc.get(), shown.data(), ClampToInt(shown.size()), at.x - margin_, &fit,
                                            nullptr, &size))
        return start;
    return start + static_cast<std::size_t>(std::max(fit, 0));
}

void MonitorPane::OnMouse(UINT message, POINT at) {
    if (message == WM_LBUTTONDOWN) {
        SetFocus(hwnd_);
        SetCapture(hwnd_);
        caret_ = OffsetAt(at);
        if (GetKeyState(VK_SHIFT) >= 0) anchor_ = caret_;
    } else if (message == WM_MOUSEMOVE && GetCapture() == hwnd_) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        if (at.y < 0) ScrollTo(static_cast<std::ptrdiff_t>(firstLine_) - 1);
        else if (at.y >= client.bottom) ScrollTo(static_cast<std::ptrdiff_t>(firstLine_) + 1);
        caret_ = OffsetAt(at);
    } else if (message == WM_LBUTTONUP && GetCapture() == hwnd_) {
        ReleaseCapture();
    } else {
        return;
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void MonitorPane::CopySelection() const {
    const std::size_t from = std::min(anchor_, caret_);
    const std::size_t count = std::max(anchor_, caret_) - from;
    if (count == 0 || !OpenClipboard(hwnd_)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(wchar_t))) {
        if (auto* chars = static_cast<wchar_t*>(GlobalLock(memory))) {
            text_.copy(chars, count, from);
            chars[count] = L'\0';
            GlobalUnlock(memory);
            // The clipboard owns the memory once it has taken it.
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void MonitorPane::OnPaint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc) return;
    // The parent chooses the colours, as it does for a read-only edit control.
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
    if (!brush) brush = GetSysColorBrush(COLOR_WINDOW);
    FillRect(dc, &ps.rcPaint, brush);
    const HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    RECT client{};
    GetClientRect(hwnd_, &client);
    for (std::size_t line = firstLine_; line < lines_.Count(); ++line) {
        const int top = static_cast<int>(line - firstLine_) * lineHeight_;
        if (top >= client.bottom) break;
        if (top + lineHeight_ <= ps.rcPaint.top || top >= ps.rcPaint.bottom) continue;
        const std::size_t start = lines_.Start(line);
        const std::size_t end = lines_.End(line, text_);
        const std::wstring shown = Shown(text_.data() + start, end - start);
        ExtTextOutW(dc, margin_, top, ETO_CLIPPED, &client, shown.data(), static_cast<UINT>(shown.size()), nullptr);
        // The selected part of the line, drawn again over it in the selection's colours.
        const std::size_t from = std::clamp(std::min(anchor_, caret_), start, end);
        const std::size_t to = std::clamp(std::max(anchor_, caret_), start, end);
        if (from == to) continue;
        SIZE before{}, through{};
        GetTextExtentPoint32W(dc, shown.data(), static_cast<int>(from - start), &before);
        GetTextExtentPoint32W(dc, shown.data(), static_cast<int>(to - start), &through);
        RECT band{margin_ + before.cx, top, margin_ + through.cx, top + lineHeight_};
        IntersectRect(&band, &band, &client);
        const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        const COLORREF face = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc, margin_ + before.cx, top, ETO_CLIPPED | ETO_OPAQUE, &band, shown.data() + (from - start),
                    static_cast<UINT>(to - from), nullptr);
        SetTextColor(dc, text);
        SetBkColor(dc, face);
    }
    // The pane has no caret to show that Tab brought the focus here.
    if (GetFocus() == hwnd_) DrawFocusRect(dc, &client);
    if (old) SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
    unpaintedSince_ = 0;
}

LRESULT CALLBACK MonitorPane::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MonitorPane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MonitorPane*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MonitorPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text_.size());
    case WM_GETTEXT: {
        if (wParam == 0 || !lParam) return 0;
        const std::size_t n = std::min<std::size_t>(text_.size(), wParam - 1);
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        text_.copy(out, n);
        out[n] = L'\0';
        return static_cast<LRESULT>(n);
    }
    case WM_SETTEXT:
        text_ = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        caret_ = 0;
        firstLine_ = 0;
        Rewrap();
        UpdateScrollBar();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        Rewrap();
        MoveCaretToEnd();
        if (LOWORD(lParam)) InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SIZE:
        // The view follows the caret, which appends keep at the end.
        Rewrap();
        MoveCaretToEnd();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_VSCROLL:
        OnScroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        ScrollTo(static_cast<std::ptrdiff_t>(firstLine_) - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnMouse(message, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_COPY:
        CopySelection();
        return 0;
    case WM_GETDLGCODE:
        // Arrows and page keys scroll; Tab, Esc and Enter stay with the window.
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP: OnScroll(SB_LINEUP); break;
        case VK_DOWN: OnScroll(SB_LINEDOWN); break;
        case VK_PRIOR: OnScroll(SB_PAGEUP); break;
        case VK_NEXT: OnScroll(SB_PAGEDOWN); break;
        case VK_HOME: OnScroll(SB_TOP); break;
        case VK_END: OnScroll(SB_BOTTOM); break;
        case 'A':
            if (GetKeyState(VK_CONTROL) < 0) {
                anchor_ = 0;
                caret_ = text_.size();
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
            break;
        case 'C':
        case VK_INSERT:
            if (GetKeyState(VK_CONTROL) < 0) CopySelection();
            break;
        default: break;
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    // What the edit control answers about lines and the caret, for whoever asks.
    case EM_GETSEL: {
        const DWORD from = static_cast<DWORD>(std::min(anchor_, caret_));
        const DWORD to = static_cast<DWORD>(std::max(anchor_, caret_));
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = from;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = to;
        return MAKELRESULT(LOWORD(from), LOWORD(to));
    }
    case EM_SETSEL: {
        const INT start = static_cast<INT>(wParam);
        const INT end = static_cast<INT>(lParam);
        const auto place = [&](INT at) {
            return at < 0 ? text_.size() : std::min(static_cast<std::size_t>(at), text_.size());
        };
        caret_ = place(end);
        anchor_ = start < 0 ? caret_ : place(start);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    }
    case EM_SCROLLCARET: {
        const std::size_t line = lines_.LineOf(caret_);
        const std::size_t visible = static_cast<std::size_t>(VisibleLines());
        if (line < firstLine_) ScrollTo(static_cast<std::ptrdiff_t>(line));
        else if (line >= firstLine_ + visible) ScrollTo(static_cast<std::ptrdiff_t>(line + 1 - visible));
        return TRUE;
    }
    case EM_GETLINECOUNT:
        return static_cast<LRESULT>(lines_.Count());
    case EM_GETFIRSTVISIBLELINE:
        return static_cast<LRESULT>(firstLine_);
    case EM_LINEFROMCHAR: {
        const INT_PTR at = static_cast<INT_PTR>(static_cast<INT>(wParam));
        return static_cast<LRESULT>(
            lines_.LineOf(at < 0 ? caret_ : std::min(static_cast<std::size_t>(at), text_.size())));
    }
    case EM_LINEINDEX: {
        const INT_PTR line = static_cast<INT_PTR>(static_cast<INT>(wParam));
        const std::size_t which = line < 0 ? lines_.LineOf(caret_) : static_cast<std::size_t>(line);
        return which < lines_.Count() ? static_cast<LRESULT>(lines_.Start(which)) : -1;
    }
    case EM_LINESCROLL:
        ScrollTo(static_cast<std::ptrdiff_t>(firstLine_) + static_cast<INT>(lParam));
        return TRUE;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}
