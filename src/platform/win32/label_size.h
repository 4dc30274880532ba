#pragma once
#include <windows.h>

// The rectangle a label needs for its text in that font. The label draws its
// text from its left edge; its place keeps what its alignment (SS_LEFT,
// SS_CENTER or SS_RIGHT) anchors: the left edge, the centre or the right edge
// of its design rectangle. The top stays.
RECT FitLabelToText(HWND label, HFONT font, const RECT& design, DWORD alignment);
