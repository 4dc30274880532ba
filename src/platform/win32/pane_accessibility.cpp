#include "platform/win32/pane_accessibility.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

namespace {

// Where the edit control stands in the list of system controls whose
// accessible objects the system supplies.
constexpr LRESULT kEditControlIndex = 65536 + 4;

WORD Short(long long n) { return static_cast<WORD>(static_cast<short>(std::clamp<long long>(n, SHRT_MIN, SHRT_MAX))); }

LRESULT Pair(WORD low, WORD high) { return static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(low, high))); }

// The questions that only read the text.
bool AnswerTextQuestion(const PaneText& text, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
    switch (message) {
    case WM_GETTEXTLENGTH:
        *answer = static_cast<LRESULT>(text.Text().size());
        return true;
    case WM_GETTEXT: {
        *answer = 0;
        if (wParam == 0 || !lParam) return true;
        const std::size_t n = std::min<std::size_t>(text.Text().size(), wParam - 1);
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        text.Text().copy(out, n);
        out[n] = L'\0';
        *answer = static_cast<LRESULT>(n);
        return true;
    }
    case EM_GETSEL: {
        const DWORD from = static_cast<DWORD>(text.SelectionStart());
        const DWORD to = static_cast<DWORD>(text.SelectionEnd());
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = from;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = to;
        *answer = from > 0xFFFF || to > 0xFFFF ? -1 : Pair(static_cast<WORD>(from), static_cast<WORD>(to));
        return true;
    }
    case EM_GETLINECOUNT:
        *answer = static_cast<LRESULT>(text.LineCount());
        return true;
    case EM_LINEFROMCHAR:
        *answer = static_cast<LRESULT>(text.LineFromChar(static_cast<INT>(wParam)));
        return true;
    case EM_LINEINDEX:
        *answer = static_cast<LRESULT>(text.LineIndex(static_cast<INT>(wParam)));
        return true;
    case EM_LINELENGTH:
        *answer = static_cast<LRESULT>(text.LineLength(static_cast<INT>(wParam)));
        return true;
    case EM_GETLINE: {
        // The first WORD of the buffer holds its size; no NUL is added.
        *answer = 0;
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        if (!out || wParam >= text.LineCount()) return true;
        const std::size_t start = text.LineStart(wParam);
        const std::size_t n = std::min<std::size_t>(*reinterpret_cast<const WORD*>(out), text.LineEnd(wParam) - start);
        text.Text().copy(out, n, start);
        *answer = static_cast<LRESULT>(n);
        return true;
    }
    case EM_GETLIMITTEXT:
        // A multi-line edit control without a limit.
        *answer = static_cast<LRESULT>(static_cast<DWORD>(-1));
        return true;
    case EM_GETMODIFY:
    case EM_CANUNDO:
    case EM_UNDO:
    case EM_GETPASSWORDCHAR:
    case EM_GETHANDLE:
    case EM_GETWORDBREAKPROC:
    case EM_GETIMESTATUS:
        // Nobody types here: nothing modified, nothing to undo, no mask, no buffer to lend.
        *answer = 0;
        return true;
    default:
        return false;
    }
}

}  // namespace

bool AnswerEditMessage(PaneText& text, PaneView& view, HWND pane, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* answer) {
    if (AnswerTextQuestion(text, message, wParam, lParam, answer)) return true;
    *answer = 0;
    switch (message) {
    case WM_GETOBJECT:
        if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_QUERYCLASSNAMEIDX) return false;
        *answer = kEditControlIndex;
        return true;
    case EM_POSFROMCHAR: {
        if (wParam >= text.Text().size()) {
            *answer = -1;
            return true;
        }
        const POINT at = view.PointOf(wParam, text.LineOf(wParam));
        *answer = Pair(Short(at.x), Short(at.y));
        return true;
    }
    case EM_CHARFROMPOS: {
        const std::size_t line = view.LineAt(GET_Y_LPARAM(lParam));
        const std::size_t offset = view.OffsetAt(line, GET_X_LPARAM(lParam));
        *answer = Pair(static_cast<WORD>(offset), static_cast<WORD>(line));
        return true;
    }
    case EM_GETRECT:
        if (lParam) *reinterpret_cast<RECT*>(lParam) = view.TextRect();
        return true;
    case EM_GETMARGINS:
        *answer = Pair(static_cast<WORD>(view.Geometry().margin), static_cast<WORD>(view.Geometry().margin));
        return true;
    case EM_GETFIRSTVISIBLELINE:
    case EM_GETTHUMB:
        *answer = static_cast<LRESULT>(view.FirstLine());
        return true;
    case EM_SETSEL:
        text.Select(static_cast<INT>(wParam), static_cast<INT>(lParam));
        view.PlaceSystemCaret();
        InvalidateRect(pane, nullptr, FALSE);
        return true;
    case EM_SCROLLCARET:
        view.ShowCaretLine();
        *answer = TRUE;
        return true;
    case EM_LINESCROLL:
        // Any count another program sends: the view stays within the text.
        view.ScrollBy(static_cast<INT>(lParam));
        *answer = TRUE;
        return true;
    case EM_SCROLL: {
        const int page = view.PageLines();
        const int by = wParam == SB_LINEUP ? -1 : wParam == SB_LINEDOWN ? 1 : wParam == SB_PAGEUP ? -page
                       : wParam == SB_PAGEDOWN                           ? page
                                                                         : 0;
        if (by == 0) return true;  // not a scroll: FALSE
        const std::size_t before = view.FirstLine();
        view.ScrollBy(by);
        *answer = Pair(Short(static_cast<long long>(view.FirstLine()) - static_cast<long long>(before)), TRUE);
        return true;
    }
    default:
        return false;
    }
}

void TellTextChanged(HWND pane) { NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, pane, OBJID_CLIENT, CHILDID_SELF); }
