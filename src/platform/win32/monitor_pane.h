#pragma once
#include <windows.h>
#include <string>

// A read-only multi-line pane that only grows by appending.
class MonitorPane {
public:
    MonitorPane() = default;
    MonitorPane(const MonitorPane&) = delete;
    MonitorPane& operator=(const MonitorPane&) = delete;

    // Creates the control as a child (WS_CHILD|WS_VISIBLE|WS_TABSTOP|WS_VSCROLL, read-only, multi-line) with the given id.
    bool Create(HWND parent, int controlId, HINSTANCE instance);
    HWND Handle() const;
    void SetFont(HFONT font);           // WM_SETFONT, redraw
    void Move(const RECT& pixels);      // position/size in parent client pixels
    // Appends text at the end (the caller supplies CR LF), caret to the end, last line shown.
    void Append(const std::wstring& text);
    // Moves the caret to the end of the text so the last line shows.
    void MoveCaretToEnd();

private:
    static LRESULT CALLBACK PaneProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);

    // Owned by the parent window, which destroys it.
    HWND edit_ = nullptr;
    // When the first append since the pane last painted came; 0 when it has painted since.
    ULONGLONG unpaintedSince_ = 0;
};
