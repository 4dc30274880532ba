#pragma once
#include <windows.h>

#include "gateway/pane_moves.h"
#include "gateway/pane_text.h"
#include "platform/win32/pane_view.h"

// What the operator does to a monitor pane: the keys that move the caret and
// select, Ctrl+A and Ctrl+C, the mouse and its wheel, and the context menu
// (right button, Shift+F10, the Menu key) with Copy and Select All.
class PaneInput {
public:
    PaneInput(PaneText& text, PaneView& view) : text_(text), view_(view) {}
    PaneInput(const PaneInput&) = delete;
    PaneInput& operator=(const PaneInput&) = delete;

    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    // Answers the message if it is one of these; false for any other.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);

private:
    void OnKey(WPARAM key);
    void OnMouse(UINT message, WPARAM keys, POINT at);
    void OnWheel(int delta);
    void OnContextMenu(LPARAM where);
    void OpenContextMenuAtCaret();
    void Copy() const;
    // The caret or the selection has moved: the view follows it.
    void Moved();

    PaneText& text_;
    PaneView& view_;
    HWND hwnd_ = nullptr;
    WheelTurns wheel_;
};
