#pragma once
#include <windows.h>

#include <string>

#include "gateway/pane_text.h"
#include "platform/win32/pane_input.h"
#include "platform/win32/pane_view.h"

// A read-only multi-line pane that only grows by appending. It wraps at word
// boundaries and has a vertical scroll bar only. Its window text is exactly
// what was appended. It has a caret that the keys and the mouse move and that
// selects; Copy and Select All in its context menu, Ctrl+C and Ctrl+A; and it
// answers assistive technology and other programs as a read-only edit
// control does.
//
// Neither system control fits under Wine: a wrapping EDIT re-walks every line
// on each change (an append grows from 14 to 57 ms over 4,000 records), and
// RichEdit keeps some 400 bytes per character. This pane wraps only what an
// append adds, and keeps the text and four bytes a line.
class MonitorPane {
public:
    MonitorPane() = default;
    ~MonitorPane();
    MonitorPane(const MonitorPane&) = delete;
    MonitorPane& operator=(const MonitorPane&) = delete;

    // Creates the pane as a child (WS_CHILD|WS_VISIBLE|WS_TABSTOP|WS_VSCROLL, read-only, multi-line) with the given id.
    bool Create(HWND parent, int controlId, HINSTANCE instance);
    HWND Handle() const;
    void SetFont(HFONT font);           // WM_SETFONT, redraw
    void Move(const RECT& pixels);      // position/size in parent client pixels
    // Appends text at the end (the caller supplies CR LF), caret to the end, last line shown.
    void Append(const std::wstring& text);
    // Moves the caret to the end of the text so the last line shows.
    void MoveCaretToEnd();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnSetText(const wchar_t* text);
    // Wraps the text anew for the pane's size and font.
    void Relayout();
    void RedrawLater();

    HWND hwnd_ = nullptr;
    PaneText text_;
    PaneView view_{text_};
    PaneInput input_{text_, view_};
    // When the first append since the pane last painted came; 0 when it has painted since.
    ULONGLONG unpaintedSince_ = 0;
};
