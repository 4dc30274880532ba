#include "platform/win32/monitor_pane.h"

#include "gateway/guarded_call.h"
#include "platform/win32/handles.h"
#include "platform/win32/message_boxes_win32.h"
#include "platform/win32/pane_accessibility.h"
#include "platform/win32/pane_drawing.h"

namespace {

constexpr const wchar_t* kPaneClass = L"VantaryGatewayPane";
constexpr DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY;

// Painting waits until no other message does, so in a burst of records a pane
// would stand still until the burst ended; after this long it paints at once.
constexpr ULONGLONG kLongestUnpaintedMs = 250;

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
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
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
        const handles::MeasuringDc dc(hwnd_, view_.Font());
        text_.Append(text, view_.Measurer(dc.get()));
    }
    TellTextChanged(hwnd_);
    MoveCaretToEnd();
}

void MonitorPane::MoveCaretToEnd() {
    if (!hwnd_) return;
    text_.MoveCaretToEnd();
    view_.ShowCaretLine();
    RedrawLater();
}

void MonitorPane::OnSetText(const wchar_t* text) {
    {
        const handles::MeasuringDc dc(hwnd_, view_.Font());
        text_.Replace(text ? text : L"", view_.Measurer(dc.get()));
    }
    view_.ScrollTo(0);
    view_.PlaceSystemCaret();
    InvalidateRect(hwnd_, nullptr, FALSE);
    TellTextChanged(hwnd_);
}

void MonitorPane::Relayout() {
    {
        const handles::MeasuringDc dc(hwnd_, view_.Font());
        view_.Measure(dc.get());
        text_.Rewrap(view_.Measurer(dc.get()));
    }
    view_.KeepWithinText();
    // A new font has a new line height, and the caret with it.
    if (GetFocus() == hwnd_) view_.CreateSystemCaret();
    view_.ShowCaretLine();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void MonitorPane::RedrawLater() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    const ULONGLONG now = GetTickCount64();
    if (!unpaintedSince_) unpaintedSince_ = now;
    else if (now - unpaintedSince_ >= kLongestUnpaintedMs) UpdateWindow(hwnd_);
}

void MonitorPane::OnPaint() {
    const PaintScope paint(hwnd_);
    const HDC dc = paint.dc();
    if (!dc) return;
    // The parent chooses the colours, as it does for a read-only edit control.
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
    if (!brush) brush = GetSysColorBrush(COLOR_WINDOW);
    FillRect(dc, &paint.area(), brush);
    if (view_.Font()) SelectObject(dc, view_.Font());
    RECT client{};
    GetClientRect(hwnd_, &client);
    DrawPaneLines(dc, paint.area(), client, text_, view_.Geometry());
    unpaintedSince_ = 0;
}

LRESULT CALLBACK MonitorPane::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MonitorPane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        self->view_.Attach(hwnd);
        self->input_.Attach(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MonitorPane*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // An allocation that fails in painting, wrapping or copying is told, and the program goes on.
    MessageBoxesWin32 boxes;
    return CallGuarded(boxes, LRESULT{0}, [&] { return self->HandleMessage(message, wParam, lParam); });
}

LRESULT MonitorPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    if (AnswerEditMessage(text_, view_, hwnd_, message, wParam, lParam, &answer)) return answer;
    if (input_.Handle(message, wParam, lParam, &answer)) return answer;
    switch (message) {
    case WM_SETTEXT:
        OnSetText(reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
    case WM_SETFONT:
        view_.SetFont(reinterpret_cast<HFONT>(wParam));
        Relayout();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(view_.Font());
    case WM_SIZE:
        Relayout();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_VSCROLL:
        view_.OnScrollBar(LOWORD(wParam));
        return 0;
    case WM_SETFOCUS:
        view_.CreateSystemCaret();
        return 0;
    case WM_KILLFOCUS:
        view_.DestroySystemCaret();
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}
