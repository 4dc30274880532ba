#include "platform/win32/pane_support.h"

#include <algorithm>

void DrawPaneLines(HDC dc, const RECT& paint, const RECT& client, const PaneText& text, const PaneGeometry& at) {
    SetBkMode(dc, TRANSPARENT);
    const std::size_t selFrom = text.SelectionStart();
    const std::size_t selTo = text.SelectionEnd();
    for (std::size_t line = at.firstLine; line < text.LineCount(); ++line) {
        const int top = static_cast<int>(line - at.firstLine) * at.lineHeight;
        if (top >= client.bottom) break;
        if (top + at.lineHeight <= paint.top || top >= paint.bottom) continue;
        const std::size_t start = text.LineStart(line);
        const std::size_t end = text.LineEnd(line);
        const std::wstring shown = text.ShownLine(line);
        ExtTextOutW(dc, at.margin, top, ETO_CLIPPED, &client, shown.data(), static_cast<UINT>(shown.size()), nullptr);
        // The selected part of the line, drawn again over it in the selection's colours.
        const std::size_t from = std::clamp(selFrom, start, end);
        const std::size_t to = std::clamp(selTo, start, end);
        if (from == to) continue;
        SIZE before{}, through{};
        GetTextExtentPoint32W(dc, shown.data(), static_cast<int>(from - start), &before);
        GetTextExtentPoint32W(dc, shown.data(), static_cast<int>(to - start), &through);
        RECT band{at.margin + before.cx, top, at.margin + through.cx, top + at.lineHeight};
        IntersectRect(&band, &band, &client);
        const COLORREF ink = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        const COLORREF face = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc, at.margin + before.cx, top, ETO_CLIPPED | ETO_OPAQUE, &band, shown.data() + (from - start),
                    static_cast<UINT>(to - from), nullptr);
        SetTextColor(dc, ink);
        SetBkColor(dc, face);
    }
}

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
        *answer = MAKELRESULT(LOWORD(from), LOWORD(to));
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
    default:
        return false;
    }
}

MeasuringDc::MeasuringDc(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
    if (dc_ && font) old_ = SelectObject(dc_, font);
}

MeasuringDc::~MeasuringDc() {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    ReleaseDC(hwnd_, dc_);
}

void CopyToClipboard(HWND owner, const std::wstring& text) {
    if (text.empty() || !OpenClipboard(owner)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
        if (auto* chars = static_cast<wchar_t*>(GlobalLock(memory))) {
            text.copy(chars, text.size());
            chars[text.size()] = L'\0';
            GlobalUnlock(memory);
            // The clipboard owns the memory once it has taken it.
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

int ScrollCodeOfKey(WPARAM key) {
    switch (key) {
    case VK_UP: return SB_LINEUP;
    case VK_DOWN: return SB_LINEDOWN;
    case VK_PRIOR: return SB_PAGEUP;
    case VK_NEXT: return SB_PAGEDOWN;
    case VK_HOME: return SB_TOP;
    case VK_END: return SB_BOTTOM;
    default: return -1;
    }
}
