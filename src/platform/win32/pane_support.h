#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "gateway/pane_text.h"

// What the monitor pane's window builds on: where its lines go and drawing
// them, a DC for measuring, the clipboard, and the edit control's questions.

// Where a pane's lines go on its client area.
struct PaneGeometry {
    std::size_t firstLine = 0;
    int lineHeight = 1;
    int margin = 1;
};

// Draws the pane's lines that meet `paint`, the selection in its colours,
// with the font already selected into `dc`.
void DrawPaneLines(HDC dc, const RECT& paint, const RECT& client, const PaneText& text, const PaneGeometry& at);

// The answers of the edit control's questions that only read the text:
// WM_GETTEXT(LENGTH), EM_GETSEL, EM_GETLINECOUNT, EM_LINEFROMCHAR, EM_LINEINDEX.
// False for any other message.
bool AnswerTextQuestion(const PaneText& text, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);

// A DC of the window with a font selected, for measuring.
class MeasuringDc {
public:
    MeasuringDc(HWND hwnd, HFONT font);
    ~MeasuringDc();
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

// Puts the text on the clipboard as Unicode text; nothing when it is empty.
void CopyToClipboard(HWND owner, const std::wstring& text);

// The scroll bar move a key stands for (SB_LINEUP...), or -1 for none.
int ScrollCodeOfKey(WPARAM key);
