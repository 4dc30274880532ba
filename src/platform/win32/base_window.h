#pragma once
#include <windows.h>

#include <cstddef>
#include <utility>

#include "gateway/guarded_call.h"
#include "platform/win32/dpi.h"
#include "platform/win32/label_size.h"
#include "platform/win32/message_boxes_win32.h"

// A top-level window's class, caption, styles and client size in twips.
struct TopLevelSpec {
    const wchar_t* className;
    const wchar_t* caption;
    DWORD style;
    DWORD exStyle;
    int clientWidth;
    int clientHeight;
};

// One child control of a window's layout table; FontKind picks among the window's fonts.
template <class FontKind>
struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    dpi::TwipRect place;  // relative to the window's client area
    FontKind font;
};

// What the program's top-level windows share: the DPI change, the dialog-like
// keys and focus, restoring, and the end of the window. Derived keeps its layout
// table, its painting and its routing in HandleMessage, which the window
// procedure reaches through GWLP_USERDATA once the shared messages are answered.
// Derived provides MakeFonts() returning its Fonts, a fonts_ member, Layout(),
// FirstFocus() and OnDestroy().
template <class Derived>
class BaseWindow {
public:
    HWND Handle() const { return hwnd_; }

    // Brought back from the taskbar or a maximised state, and to the front.
    void RestoreAndRaise() {
        if (!hwnd_) return;
        if (IsIconic(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
        SetForegroundWindow(hwnd_);
    }

protected:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    ~BaseWindow() = default;

    static bool RegisterWindowClass(const TopLevelSpec& spec, HINSTANCE instance, HICON bigIcon, HICON smallIcon) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hIcon = bigIcon;
        wc.hIconSm = smallIcon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = spec.className;
        return RegisterClassExW(&wc) != 0;
    }

    // Sized at the system DPI: the window has no monitor of its own until it exists.
    bool CreateTopLevel(const TopLevelSpec& spec, HINSTANCE instance) {
        const SIZE outer = dpi::OuterSizeForClient(spec.clientWidth, spec.clientHeight, spec.style, spec.exStyle,
                                                   dpi::ForSystem());
        CreateWindowExW(spec.exStyle, spec.className, spec.caption, spec.style, CW_USEDEFAULT, CW_USEDEFAULT,
                        outer.cx, outer.cy, nullptr, nullptr, instance, static_cast<Derived*>(this));
        return hwnd_ != nullptr;
    }

    // Creation order is the z-order, and so the order Tab walks. Labels are
    // sized to their text, so each draws it from its left edge, on one line.
    template <class FontKind, std::size_t N>
    void CreateControls(const ControlSpec<FontKind> (&table)[N], HINSTANCE instance) const {
        for (const ControlSpec<FontKind>& c : table) {
            const DWORD style = IsLabel(c) ? (c.style & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP : c.style;
            CreateWindowExW(0, c.className, c.text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        }
    }

    // Places each control at the given DPI; fontOf maps its FontKind to an HFONT.
    // Labels take the size of their text, so that no font or DPI cuts them.
    template <class FontKind, std::size_t N, class FontOf>
    void LayoutControls(const ControlSpec<FontKind> (&table)[N], UINT dotsPerInch, FontOf fontOf) const {
        for (const ControlSpec<FontKind>& c : table) {
            HWND control = GetDlgItem(hwnd_, c.id);
            const HFONT font = fontOf(c.font);
            RECT r = dpi::ToPixels(c.place, dotsPerInch);
            if (IsLabel(c)) r = FitLabelToText(control, font, r, c.style & SS_TYPEMASK);
            MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }

    // The fonts at the window's DPI, then the controls laid out with them.
    void MakeFontsAndLayout() {
        Derived& self = *static_cast<Derived*>(this);
        // The old fonts go only once no control draws with them any more.
        auto retired = std::exchange(self.fonts_, self.MakeFonts());
        self.Layout();
    }

    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT dpi_ = 96;

private:
    template <class FontKind>
    static bool IsLabel(const ControlSpec<FontKind>& c) {
        return lstrcmpiW(c.className, L"STATIC") == 0;
    }

    // A new DPI: fonts and layout again, and the size the system suggests.
    void ApplyDpi(UINT newDpi, const RECT* suggested) {
        dpi_ = newDpi ? newDpi : dpi::ForWindow(hwnd_);
        MakeFontsAndLayout();
        if (suggested) {
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    // As a dialog does: the control that had the focus gets it back when the
    // window is activated again, else the first one of the tab order.
    void KeepFocusAcrossActivation(WPARAM activation, HWND first) {
        if (LOWORD(activation) == WA_INACTIVE) {
            if (IsChild(hwnd_, GetFocus())) lastFocus_ = GetFocus();
        } else {
            SetFocus(lastFocus_ && IsChild(hwnd_, lastFocus_) ? lastFocus_ : first);
        }
    }

    // Enter: the dialog manager names no button, as the windows have no default
    // one; a focused push button is pressed, anything else ignores it.
    void PressFocusedButton() {
        const HWND focus = GetFocus();
        if (!IsChild(hwnd_, focus)) return;
        if (!(SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return;
        static_cast<Derived*>(this)->HandleMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                                                   reinterpret_cast<LPARAM>(focus));
    }

    // A control, or one of the tab order (a multi-line pane's Tab asks this way),
    // is to take the focus, as in a dialog.
    void MoveFocus(WPARAM wParam, LPARAM lParam) {
        SetFocus(LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0));
    }

    // The messages both windows answer alike; the rest are the window's own.
    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam) {
        Derived& self = *static_cast<Derived*>(this);
        switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK) break;
            PressFocusedButton();
            return 0;
        case WM_ACTIVATE:
            KeepFocusAcrossActivation(wParam, GetDlgItem(hwnd_, self.FirstFocus()));
            return 0;
        case WM_NEXTDLGCTL:
            MoveFocus(wParam, lParam);
            return 0;
        case WM_DPICHANGED:
            ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            lastFocus_ = nullptr;
            self.OnDestroy();
            return 0;
        default:
            break;
        }
        return self.HandleMessage(message, wParam, lParam);
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            // The window's last message: the object forgets it, and nothing later finds the object.
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        MessageBoxesWin32 boxes;  // no owner: the failing window may be half made or half gone
        return CallGuarded(boxes, LRESULT{0}, [&] { return self->Route(message, wParam, lParam); });
    }
};
