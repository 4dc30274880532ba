#include "platform/win32/monitor_pane.h"

#include <commctrl.h>

namespace {

// Without word wrap the edit control only lays out the lines it is given, so an append costs
// the same however long the pane has grown; wrapping makes Wine's control re-walk every line.
constexpr DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                             ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

// Painting waits until no other message does, so in a burst of records a pane
// would stand still until the burst ended; after this long it paints at once.
constexpr ULONGLONG kLongestUnpaintedMs = 250;

}  // namespace

LRESULT CALLBACK MonitorPane::PaneProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) {
    // A multi-line edit under the dialog manager turns Esc into a close of its
    // parent, which would ask whether to stop the gateway. Esc does nothing here.
    if ((message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
    if (message == WM_PAINT) reinterpret_cast<MonitorPane*>(self)->unpaintedSince_ = 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, PaneProc, id);
    return DefSubclassProc(edit, message, wParam, lParam);
}

bool MonitorPane::Create(HWND parent, int controlId, HINSTANCE instance) {
    edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kPaneStyle, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
    if (!edit_) return false;
    // The panes are never trimmed; the default 30,000 characters would cut appends short.
    SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
    SetWindowSubclass(edit_, PaneProc, 1, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

HWND MonitorPane::Handle() const { return edit_; }

void MonitorPane::SetFont(HFONT font) {
    if (edit_) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void MonitorPane::Move(const RECT& pixels) {
    if (edit_) MoveWindow(edit_, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, TRUE);
}

void MonitorPane::Append(const std::wstring& text) {
    if (!edit_) return;
    // Under Wine the edit control draws its scroll bars anew on every change, some 10 ms a
    // pane, and ignores WM_SETREDRAW. The default handling hides the pane from drawing (not
    // from the user) while it changes; it then paints once, when the thread is free.
    DefWindowProcW(edit_, WM_SETREDRAW, FALSE, 0);
    // Inserting at the caret rather than setting the whole text keeps each append's cost flat.
    MoveCaretToEnd();
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    MoveCaretToEnd();
    DefWindowProcW(edit_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(edit_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    const ULONGLONG now = GetTickCount64();
    if (!unpaintedSince_) unpaintedSince_ = now;
    else if (now - unpaintedSince_ >= kLongestUnpaintedMs) UpdateWindow(edit_);
}

void MonitorPane::MoveCaretToEnd() {
    if (!edit_) return;
    const int length = GetWindowTextLengthW(edit_);
    SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
    SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}
