#include "platform/win32/pane_input.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "platform/win32/handles.h"

namespace {

enum : UINT { kCopy = 1, kSelectAll = 2 };

bool KeyDown(int key) { return GetKeyState(key) < 0; }

// Puts the text on the clipboard as Unicode text; nothing when it is empty.
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

}  // namespace

bool PaneInput::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
    *answer = 0;
    switch (message) {
    case WM_GETDLGCODE:
        // The arrows move the caret; Tab, Esc and Enter stay with the window.
        *answer = DLGC_WANTARROWS;
        return true;
    case WM_KEYDOWN:
        OnKey(wParam);
        return true;
    case WM_SYSKEYDOWN:
        // Shift+F10 here rather than in the default handling, which would also
        // take F10 into the window menu.
        if (wParam != VK_F10 || !KeyDown(VK_SHIFT)) return false;
        OpenContextMenuAtCaret();
        return true;
    case WM_KEYUP:
        if (wParam != VK_APPS) return false;
        OpenContextMenuAtCaret();
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnMouse(message, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    case WM_MOUSEWHEEL:
        OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return true;
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        return true;
    case WM_COPY:
        Copy();
        return true;
    default:
        return false;
    }
}

void PaneInput::OnKey(WPARAM key) {
    const bool ctrl = KeyDown(VK_CONTROL);
    if (ctrl && key == 'A') {
        text_.SelectAll();
        Moved();
        return;
    }
    if (ctrl && (key == 'C' || key == VK_INSERT)) {
        Copy();
        return;
    }
    CaretMove move{};
    switch (key) {
    case VK_LEFT: move = ctrl ? CaretMove::WordLeft : CaretMove::Left; break;
    case VK_RIGHT: move = ctrl ? CaretMove::WordRight : CaretMove::Right; break;
    case VK_UP: move = CaretMove::Up; break;
    case VK_DOWN: move = CaretMove::Down; break;
    case VK_PRIOR: move = CaretMove::PageUp; break;
    case VK_NEXT: move = CaretMove::PageDown; break;
    case VK_HOME: move = ctrl ? CaretMove::TextStart : CaretMove::LineStart; break;
    case VK_END: move = ctrl ? CaretMove::TextEnd : CaretMove::LineEnd; break;
    default: return;
    }
    MoveCaret(text_, move, KeyDown(VK_SHIFT), static_cast<std::size_t>(view_.PageLines()), view_);
    // A page key takes the view along with the caret.
    if (move == CaretMove::PageUp) view_.ScrollBy(-view_.PageLines());
    if (move == CaretMove::PageDown) view_.ScrollBy(view_.PageLines());
    Moved();
}

void PaneInput::OnMouse(UINT message, WPARAM keys, POINT at) {
    const std::size_t line = view_.LineAt(at.y);
    switch (message) {
    case WM_LBUTTONDOWN:
        SetFocus(hwnd_);
        SetCapture(hwnd_);
        PlaceCaretOnLine(text_, line, at.x, (keys & MK_SHIFT) != 0, view_);
        break;
    case WM_LBUTTONDBLCLK: {
        // The character under the pointer, not the caret place nearest to it.
        std::size_t under = view_.OffsetAt(line, at.x);
        if (under > text_.LineStart(line) && view_.XOf(line, under) > at.x) --under;
        const auto [first, last] = WordAt(text_.Text(), under);
        text_.PlaceCaret(first, false);
        text_.PlaceCaret(last, true);
        break;
    }
    case WM_MOUSEMOVE:
        // Dragging past an edge scrolls, since the view follows the caret.
        if (GetCapture() != hwnd_) return;
        PlaceCaretOnLine(text_, line, at.x, true, view_);
        break;
    default:
        if (GetCapture() == hwnd_) ReleaseCapture();
        return;
    }
    Moved();
}

void PaneInput::OnWheel(int delta) {
    UINT perNotch = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    const unsigned long lines = perNotch == WHEEL_PAGESCROLL ? static_cast<unsigned long>(view_.PageLines()) : perNotch;
    view_.ScrollBy(wheel_.Lines(delta, lines));
}

void PaneInput::OpenContextMenuAtCaret() {
    SendMessageW(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_), static_cast<LPARAM>(-1));
}

void PaneInput::OnContextMenu(LPARAM where) {
    const HWND pane = hwnd_;
    SetFocus(pane);
    POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: just below the caret, within the pane.
        RECT client{};
        GetClientRect(pane, &client);
        const POINT caret = view_.CaretPoint();
        at.x = std::clamp<LONG>(caret.x, 0, std::max<LONG>(0, client.right - 1));
        at.y = std::clamp<LONG>(caret.y + view_.Geometry().lineHeight, 0, std::max<LONG>(0, client.bottom - 1));
        ClientToScreen(pane, &at);
    }
    const handles::Menu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING | (text_.HasSelection() ? 0 : MF_GRAYED), kCopy, L"&Copy");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | (text_.Text().empty() ? MF_GRAYED : 0), kSelectAll, L"Select &All");
    // A menu of a window that is not in front would not close when clicked off.
    SetForegroundWindow(GetAncestor(pane, GA_ROOT));
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, pane, nullptr));
    // The menu waits for the operator while records arrive, and the window may go meanwhile.
    if (!IsWindow(pane)) return;
    if (chosen == kCopy) {
        Copy();
    } else if (chosen == kSelectAll) {
        text_.SelectAll();
        Moved();
    }
}

void PaneInput::Copy() const { CopyToClipboard(hwnd_, text_.Selected()); }

void PaneInput::Moved() {
    view_.ShowCaretLine();
    InvalidateRect(hwnd_, nullptr, FALSE);
}
