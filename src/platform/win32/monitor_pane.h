#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "gateway/pane_text.h"
#include "platform/win32/pane_support.h"

// A read-only multi-line pane that only grows by appending. It wraps at word
// boundaries and has a vertical scroll bar only. Its window text is exactly
// what was appended; text can be selected with the mouse (Ctrl+A: all) and
// copied with Ctrl+C; and it answers the edit control's questions about lines,
// the selection and the first visible line.
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
    void OnScroll(int code);
    void OnMouse(UINT message, POINT at);
    // The character offset nearest to a point of the client area.
    std::size_t OffsetAt(POINT at) const;
    void Rewrap();
    PaneText::Fit Measurer(HDC dc) const;
    // Scrolls just enough to show the caret's line.
    void ShowCaretLine();
    int VisibleLines() const;
    // Scrolls so that `first` is the top line, within what the text allows.
    void ScrollTo(std::ptrdiff_t first);
    void UpdateScrollBar();
    void RedrawLater();

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;  // the parent's; it outlives the pane
    PaneText text_;
    PaneGeometry at_;
    int wrapWidth_ = 0;
    // When the first append since the pane last painted came; 0 when it has painted since.
    ULONGLONG unpaintedSince_ = 0;
};
