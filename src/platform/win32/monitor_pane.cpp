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

int ClampToInt(std::size_t n) { return static_cast<int>(std::min<std::size_t>(n, INT_MAX)); }

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
    {
        const MeasuringDc dc(hwnd_, font_);
        text_.Append(text, Measurer(dc.get()));
    }
    MoveCaretToEnd();
}

void MonitorPane::MoveCaretToEnd() {
    if (!hwnd_) return;
    text_.MoveCaretToEnd();
    ShowCaretLine();
    RedrawLater();
}

void MonitorPane::ShowCaretLine() {
    const std::size_t line = text_.LineOf(text_.Caret());
    const std::size_t visible = static_cast<std::size_t>(VisibleLines());
    if (line < at_.firstLine) ScrollTo(static_cast<std::ptrdiff_t>(line));
    else if (line >= at_.firstLine + visible) ScrollTo(static_cast<std::ptrdiff_t>(line + 1 - visible));
    else UpdateScrollBar();
}

PaneText::Fit MonitorPane::Measurer(HDC dc) const {
    const int width = wrapWidth_;
    return [dc, width](const wchar_t* chars, std::size_t count) -> std::size_t {
        const std::wstring shown = ShownChars(chars, count);
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
        at_.lineHeight = std::max<int>(1, metrics.tmHeight);
        at_.margin = std::max<int>(1, metrics.tmAveCharWidth / 3);
    }
    wrapWidth_ = std::max<int>(1, client.right - 2 * at_.margin);
    text_.Rewrap(Measurer(dc.get()));
    at_.firstLine = std::min(at_.firstLine, text_.LineCount() - 1);
}

int MonitorPane::VisibleLines() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return std::max<int>(1, client.bottom / at_.lineHeight);
}

void MonitorPane::ScrollTo(std::ptrdiff_t first) {
    const std::ptrdiff_t last = std::max<std::ptrdiff_t>(0, static_cast<std::ptrdiff_t>(text_.LineCount()) - VisibleLines());
    const std::size_t wanted = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(first, 0, last));
    if (wanted != at_.firstLine) {
        at_.firstLine = wanted;
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    UpdateScrollBar();
}

void MonitorPane::UpdateScrollBar() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = ClampToInt(text_.LineCount() - 1);
    info.nPage = static_cast<UINT>(VisibleLines());
    info.nPos = ClampToInt(at_.firstLine);
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
    const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(at_.firstLine);
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
    const std::ptrdiff_t row = at.y < 0 ? -1 : at.y / at_.lineHeight;
    const std::ptrdiff_t wanted = static_cast<std::ptrdiff_t>(at_.firstLine) + row;
    const std::size_t line = static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(wanted, 0, static_cast<std::ptrdiff_t>(text_.LineCount()) - 1));
    const std::size_t start = text_.LineStart(line);
    const std::wstring shown = text_.ShownLine(line);
    if (at.x <= at_.margin || shown.empty()) return start;
    const MeasuringDc dc(hwnd_, font_);
    int fit = 0;
    SIZE size{};
    if (!dc.get() || !GetTextExtentExPointW(dc.get(), shown.data(), ClampToInt(shown.size()), at.x - at_.margin, &fit,
                                            nullptr, &size))
        return start;
    return start + static_cast<std::size_t>(std::max(fit, 0));
}

void MonitorPane::OnMouse(UINT message, POINT at) {
    if (message == WM_LBUTTONDOWN) {
        SetFocus(hwnd_);
        SetCapture(hwnd_);
        text_.PlaceCaret(OffsetAt(at), GetKeyState(VK_SHIFT) < 0);
    } else if (message == WM_MOUSEMOVE && GetCapture() == hwnd_) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        if (at.y < 0) ScrollTo(static_cast<std::ptrdiff_t>(at_.firstLine) - 1);
        else if (at.y >= client.bottom) ScrollTo(static_cast<std::ptrdiff_t>(at_.firstLine) + 1);
        text_.PlaceCaret(OffsetAt(at), true);
    } else if (message == WM_LBUTTONUP && GetCapture() == hwnd_) {
        ReleaseCapture();
    } else {
        return;
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
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
    RECT client{};
    GetClientRect(hwnd_, &client);
    DrawPaneLines(dc, ps.rcPaint, client, text_, at_);
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
    if (LRESULT answer = 0; AnswerTextQuestion(text_, message, wParam, lParam, &answer)) return answer;
    switch (message) {
    case WM_SETTEXT: {
        const MeasuringDc dc(hwnd_, font_);
        text_.Replace(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"", Measurer(dc.get()));
        at_.firstLine = 0;
        UpdateScrollBar();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
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
        ScrollTo(static_cast<std::ptrdiff_t>(at_.firstLine) - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnMouse(message, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_COPY:
        CopyToClipboard(hwnd_, text_.Selected());
        return 0;
    case WM_GETDLGCODE:
        // Arrows and page keys scroll; Tab, Esc and Enter stay with the window.
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (const int code = ScrollCodeOfKey(wParam); code >= 0) {
            OnScroll(code);
        } else if (GetKeyState(VK_CONTROL) < 0 && wParam == 'A') {
            text_.SelectAll();
            InvalidateRect(hwnd_, nullptr, FALSE);
        } else if (GetKeyState(VK_CONTROL) < 0 && (wParam == 'C' || wParam == VK_INSERT)) {
            CopyToClipboard(hwnd_, text_.Selected());
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    // What the edit control answers about lines and the caret, for whoever asks.
    case EM_SETSEL:
        text_.Select(static_cast<INT>(wParam), static_cast<INT>(lParam));
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case EM_SCROLLCARET:
        ShowCaretLine();
        return TRUE;
    case EM_GETFIRSTVISIBLELINE:
        return static_cast<LRESULT>(at_.firstLine);
    case EM_LINESCROLL:
        ScrollTo(static_cast<std::ptrdiff_t>(at_.firstLine) + static_cast<INT>(lParam));
        return TRUE;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}
