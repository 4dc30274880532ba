#include "platform/win32/settings_window_win32.h"

#include "gateway/main_form.h"
#include "platform/win32/control_ids.h"

namespace {
constexpr TopLevelSpec kWindow{VANTARY_SETTINGS_CLASS, L"WSJT-X Vantary Gateway Settings",
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                               WS_EX_CONTROLPARENT, 5895, 6375};
constexpr float kOffsetFromMonitor = 400;

enum class FontKind { Frame, Plain, Box, Small };

// Frames hold controls at positions of their own; these are the sums.
constexpr int F1x = 75, F1y = 75, F2x = 75, F2y = 1950, F3x = 75, F3y = 2850, F4x = 75, F4y = 4275;
constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kRightLabel = SS_RIGHT | SS_NOPREFIX;
constexpr DWORD kBox = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

// The focus-taking controls first, in their tab order; the rest follow.
const ControlSpec<FontKind> kControls[] = {
    {IDC_S_CANCELCOMMAND, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, {4950, 5925, 840, 315}, FontKind::Box},
    {IDC_S_EMAILTEXT, L"EDIT", L"", kBox, {F1x + 1650, F1y + 300, 3915, 285}, FontKind::Box},
    {IDC_S_CALLSIGNTEXT, L"EDIT", L"", kBox, {F1x + 1650, F1y + 675, 3915, 285}, FontKind::Box},
    {IDC_S_PASSWORDTEXT, L"EDIT", L"", kBox | ES_PASSWORD, {F1x + 1650, F1y + 1050, 3915, 285}, FontKind::Box},
    {IDC_S_SHOWPASSWORDSCHECK, L"BUTTON", L"Show password", BS_AUTOCHECKBOX | WS_TABSTOP,
     {F1x + 4050, F1y + 1425, 1515, 240}, FontKind::Plain},
    {IDC_S_HOSTPORTNUMBERTEXT, L"EDIT", L"", kBox, {F2x + 1725, F2y + 300, 840, 285}, FontKind::Box},
    {IDC_S_SAVECOMMAND, L"BUTTON", L"Save", BS_PUSHBUTTON | WS_TABSTOP, {3975, 5925, 840, 315}, FontKind::Box},

    {IDC_S_LABEL1, L"STATIC", L"Email", kRightLabel, {F1x + 1200, F1y + 375, 375, 195}, FontKind::Plain},
    {IDC_S_LABEL3, L"STATIC", L"Callsign", kRightLabel, {F1x + 1035, F1y + 750, 540, 195}, FontKind::Plain},
    {IDC_S_LABEL2, L"STATIC", L"Application password", kRightLabel, {F1x + 75, F1y + 1125, 1500, 195}, FontKind::Plain},
    {IDC_S_LABEL7, L"STATIC", L"Create from Vantary account", kLabel, {F1x + 1650, F1y + 1425, 2010, 195}, FontKind::Plain},
    {IDC_S_LABEL5, L"STATIC", L"Server port number", kRightLabel, {F2x + 300, F2y + 375, 1350, 195}, FontKind::Plain},
    {IDC_S_LABEL13, L"STATIC", L"Secondary UDP server", kLabel, {F3x + 450, F3y + 225, 1635, 195}, FontKind::Plain},
    {IDC_S_LABEL11, L"STATIC", L"Enable logged contact ADIF proadcast", kLabel, {F3x + 450, F3y + 450, 2760, 195},
     FontKind::Plain},
    {IDC_S_LABEL9, L"STATIC", L"Set IP address (127.0.0.1 for local host)", kLabel, {F3x + 450, F3y + 675, 2790, 195},
     FontKind::Plain},
    {IDC_S_LABEL10, L"STATIC", L"Server port number same as Gateway server eg 2333", kLabel,
     {F3x + 450, F3y + 900, 3765, 195}, FontKind::Plain},
    {IDC_S_LABEL4, L"STATIC", L"This gateway is compatible with any logging software,", kLabel,
     {F4x + 450, F4y + 225, 3780, 195}, FontKind::Plain},
    {IDC_S_LABEL8, L"STATIC", L"which can send each QSO in exactly one ADIF record ending <eor>", kLabel,
     {F4x + 450, F4y + 450, 4815, 195}, FontKind::Plain},
    {IDC_S_LABEL16, L"STATIC", L"Make similar settings to app (IP address and port number).", kLabel,
     {F4x + 450, F4y + 675, 4080, 195}, FontKind::Plain},
    {IDC_S_LABEL15, L"STATIC", L"Note.", kLabel, {75, 5475, 480, 195}, FontKind::Frame},
    {IDC_S_LABEL12, L"STATIC", L"Vantary Gateway is running in the System Tray. Click the icon to open it.", kLabel,
     {600, 5475, 5070, 195}, FontKind::Plain},
    {IDC_S_LABEL6, L"STATIC", L"Vantary real-time uploader", SS_CENTER | SS_NOPREFIX, {75, 5850, 1905, 195},
     FontKind::Small},
    {IDC_S_LABEL14, L"STATIC", L"by the Vantary team", kLabel, {75, 6075, 1560, 195}, FontKind::Small},
    {IDC_S_VERSIONLABEL, L"STATIC", L"v0.00", kLabel, {1725, 6075, 390, 195}, FontKind::Small},

    // Frames last: lowest in the z-order, so they paint beneath their controls.
    {IDC_S_FRAME1, L"BUTTON", L"Vantary credentials", BS_GROUPBOX | WS_CLIPSIBLINGS, {F1x, F1y, 5715, 1740},
     FontKind::Frame},
    {IDC_S_FRAME2, L"BUTTON", L"Gateway server settings", BS_GROUPBOX | WS_CLIPSIBLINGS, {F2x, F2y, 5715, 765},
     FontKind::Frame},
    {IDC_S_FRAME3, L"BUTTON", L"WSJT-X settings (Reporting tab)", BS_GROUPBOX | WS_CLIPSIBLINGS,
     {F3x, F3y, 5715, 1290}, FontKind::Frame},
    {IDC_S_FRAME4, L"BUTTON", L"Other comptible applications", BS_GROUPBOX | WS_CLIPSIBLINGS, {F4x, F4y, 5715, 1065},
     FontKind::Frame},
};
}  // namespace

SettingsWindowWin32::~SettingsWindowWin32() { Unload(); }

bool SettingsWindowWin32::Register(HINSTANCE instance, HICON bigIcon, HICON smallIcon) {
    instance_ = instance;
    return RegisterWindowClass(kWindow, instance, bigIcon, smallIcon);
}

bool SettingsWindowWin32::Load() {
    if (hwnd_) return true;
    if (!CreateTopLevel(kWindow, instance_)) return false;
    Form_Load();
    return true;
}

void SettingsWindowWin32::Show() {
    const bool wasLoaded = hwnd_ != nullptr;
    if (!Load()) return;
    if (!wasLoaded) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        SetFocus(GetDlgItem(hwnd_, IDC_S_CANCELCOMMAND));
        return;
    }
    // Already open: to the front, the operator's edits kept; a minimised window stays so.
    if (!IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    }
}

void SettingsWindowWin32::SetStateNormal() {
    if (!hwnd_) return;
    if (IsIconic(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
}

void SettingsWindowWin32::Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT SettingsWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_S_SAVECOMMAND: SaveCommand_Click(); break;
        case IDC_S_CANCELCOMMAND: CancelCommand_Click(); break;
        case IDC_S_SHOWPASSWORDSCHECK:
            if (HIWORD(wParam) == BN_CLICKED) ShowPasswordsCheck_Click();
            break;
        case IDCANCEL: Form_KeyPress(27); break;  // Esc, as the dialog manager reports it
        default: break;
        }
        return 0;
    case WM_ACTIVATE:
        // Give the focus back to the control that had it, as a dialog does.
        if (LOWORD(wParam) == WA_INACTIVE) {
            lastFocus_ = GetFocus();
        } else if (lastFocus_ && IsChild(hwnd_, lastFocus_)) {
            SetFocus(lastFocus_);
        }
        return 0;
    case WM_CLOSE:
        CancelCommand_Click();
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        MakeFonts();
        Layout();
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_DESTROY:
        hwnd_ = nullptr;
        lastFocus_ = nullptr;
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void SettingsWindowWin32::OnCreate() {
    dpi_ = dpi::ForWindow(hwnd_);
    CreateControls(kControls, instance_);
    SendDlgItemMessageW(hwnd_, IDC_S_PASSWORDTEXT, EM_SETPASSWORDCHAR, L'*', 0);
    MakeFonts();
    Layout();
}

void SettingsWindowWin32::MakeFonts() {
    frameFont_ = dpi::MakeFont(L"MS Sans Serif", 8.25, true, dpi_);
    plainFont_ = dpi::MakeFont(L"MS Sans Serif", 8.25, false, dpi_);
    boxFont_ = dpi::MakeFont(L"Calibri", 9, false, dpi_);
    smallFont_ = dpi::MakeFont(L"Calibri", 8.25, false, dpi_);
}

void SettingsWindowWin32::Layout() {
    LayoutControls(kControls, dpi_, [&](FontKind kind) {
        return kind == FontKind::Frame ? frameFont_.get()
               : kind == FontKind::Plain ? plainFont_.get()
               : kind == FontKind::Box   ? boxFont_.get()
                                         : smallFont_.get();
    });
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void SettingsWindowWin32::Form_Load() {
    SetDlgItemTextW(hwnd_, IDC_S_VERSIONLABEL, form_->Version.c_str());
    const UINT systemDpi = dpi::ForSystem();
    const int left = dpi::TwipsToPixels(monitor_->Left() + kOffsetFromMonitor, systemDpi);
    const int top = dpi::TwipsToPixels(monitor_->Top() + kOffsetFromMonitor, systemDpi);
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetDlgItemTextW(hwnd_, IDC_S_EMAILTEXT, form_->email.c_str());
    SetDlgItemTextW(hwnd_, IDC_S_PASSWORDTEXT, form_->password.c_str());
    SetDlgItemTextW(hwnd_, IDC_S_CALLSIGNTEXT, form_->callsign.c_str());
    SetDlgItemTextW(hwnd_, IDC_S_HOSTPORTNUMBERTEXT, form_->HostPortNumber.c_str());
}

std::wstring SettingsWindowWin32::BoxText(int id) const {
    HWND box = GetDlgItem(hwnd_, id);
    const int length = GetWindowTextLengthW(box);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(box, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void SettingsWindowWin32::SaveCommand_Click() {
    const SettingsBoxes boxes{BoxText(IDC_S_EMAILTEXT), BoxText(IDC_S_PASSWORDTEXT), BoxText(IDC_S_CALLSIGNTEXT),
                              BoxText(IDC_S_HOSTPORTNUMBERTEXT)};
    if (form_->SaveFromSettingsWindow(boxes) == SaveOutcome::Saved) {
        Unload();
        return;
    }
    // The typed values stay so the port can be corrected.
    if (!hwnd_) return;
    HWND port = GetDlgItem(hwnd_, IDC_S_HOSTPORTNUMBERTEXT);
    SetFocus(port);
    SendMessageW(port, EM_SETSEL, 0, -1);
}

void SettingsWindowWin32::CancelCommand_Click() { Unload(); }

void SettingsWindowWin32::Form_KeyPress(int keyAscii) {
    if (keyAscii == 27) Unload();
}

void SettingsWindowWin32::ShowPasswordsCheck_Click() {
    HWND box = GetDlgItem(hwnd_, IDC_S_PASSWORDTEXT);
    const bool ticked = IsDlgButtonChecked(hwnd_, IDC_S_SHOWPASSWORDSCHECK) == BST_CHECKED;
    SendMessageW(box, EM_SETPASSWORDCHAR, ticked ? 0 : L'*', 0);
    InvalidateRect(box, nullptr, TRUE);
}
