#pragma once
#include <windows.h>

#include "gateway/pane_text.h"
#include "platform/win32/pane_view.h"

// A monitor pane answers assistive technology as a read-only multi-line edit
// control does. Asked which system control it acts as, it names the edit
// control: the system's own accessible object for an edit control then
// serves it (role text, its label as name, its text as value, read-only),
// reading it through WM_GETTEXT and the EM_ messages answered here, the ones
// screen readers send to an edit control too. No accessibility library is
// loaded in the program for it.
bool AnswerEditMessage(PaneText& text, PaneView& view, HWND pane, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* answer);

// Tells assistive technology that the pane's text has changed.
void TellTextChanged(HWND pane);
