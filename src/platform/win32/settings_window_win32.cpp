#include "platform/win32/settings_window_win32.h"

#include "platform/win32/control_ids.h"
#include "platform/win32/error_text.h"
#include "platform/win32/screens.h"

namespace {
constexpr TopLevelSpec kWindow{VANTARY_SETTINGS_CLASS, L"WSJT-X Vantary Gateway Settings",
                               // Not WS_CLIPCHILDREN: the frames are transparent, and only the
                               // window's own background paints their inside.
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                               WS_EX_CONTROLPARENT, 5895, 6375};

enum class FontKind { Frame, Plain, Box, Small };

// Frames hold controls at positions of their own; these are the sums.
constexpr int F1x = 75, F1y = 75, F2x = 75, F2y = 1950, F3x = 75, F3y = 2850, F4x = 75, F4y = 4275;
constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kRightLabel = SS_RIGHT | SS_NOPREFIX;
constexpr DWORD kBox = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

// The focus-taking controls first, in their tab order, each box just behind
// its label, from which it takes its accessible name; the rest follow.
const ControlSpec<FontKind> kControls[] = {
    {IDC_S_CANCELCOMMAND, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, {4950, 5925, 840, 315}, FontKind::Box},
    {IDC_S_LABEL1, L"STATIC", L"Email", kRightLabel, {F1x + 1200, F1y + 375, 375, 195}, FontKind::Plain},
    {IDC_S_EMAILTEXT, L"EDIT", L"", kBox, {F1x + 1650, F1y + 300, 3915, 285}, FontKind::Box},
    {IDC_S_LABEL3, L"STATIC", L"Callsign", kRightLabel, {F1x + 1035, F1y + 750, 540, 195}, FontKind::Plain},
    {IDC_S_CALLSIGNTEXT, L"EDIT", L"", kBox, {F1x + 1650, F1y + 675, 3915, 285}, FontKind::Box},
    {IDC_S_LABEL2, L"STATIC", L"Application password", kRightLabel, {F1x + 75, F1y + 1125, 1500, 195}, FontKind::Plain},
    {IDC_S_PASSWORDTEXT, L"EDIT", L"", kBox | ES_PASSWORD, {F1x + 1650, F1y + 1050, 3915, 285}, FontKind::Box},
    {IDC_S_SHOWPASSWORDSCHECK, L"BUTTON", L"Show password", BS_AUTOCHECKBOX | WS_TABSTOP,
     {F1x + 4050, F1y + 1425, 1515, 240}, FontKind::Plain},
    {IDC_S_LABEL5, L"STATIC", L"Server port number", kRightLabel, {F2x + 300, F2y + 375, 1350, 195}, FontKind::Plain},
    {IDC_S_HOSTPORTNUMBERTEXT, L"EDIT", L"", kBox, {F2x + 1725, F2y + 300, 840, 285}, FontKind::Box},
    {IDC_S_SAVECOMMAND, L"BUTTON", L"Save", BS_PUSHBUTTON | WS_TABSTOP, {3975, 5925, 840, 315}, FontKind::Box},

    {IDC_S_LABEL7, L"STATIC", L"Create from Vantary account", kLabel, {F1x + 1650, F1y + 1425, 2010, 195}, FontKind::Plain},
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
    if (CreateTopLevel(kWindow, instance_)) return true;
    loadError_ = GetLastError();
    return false;
}

std::wstring SettingsWindowWin32::LoadFailure() const { return SystemErrorText(loadError_); }

void SettingsWindowWin32::Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void SettingsWindowWin32::SetVersionCaption(const std::wstring& text) {
    SetDlgItemTextW(hwnd_, IDC_S_VERSIONLABEL, text.c_str());
    Layout();
}

void SettingsWindowWin32::MoveTo(float leftTwips, float topTwips) {
    // Window positions are the system's, as the monitor window reports its own.
    const UINT systemDpi = dpi::ForSystem();
    SetWindowPos(hwnd_, nullptr, dpi::TwipsToPixels(leftTwips, systemDpi), dpi::TwipsToPixels(topTwips, systemDpi),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float SettingsWindowWin32::OuterWidth() const { return screens::OuterWidth(hwnd_); }
float SettingsWindowWin32::OuterHeight() const { return screens::OuterHeight(hwnd_); }

void SettingsWindowWin32::SetBoxes(const SettingsBoxes& boxes) {
    SetDlgItemTextW(hwnd_, IDC_S_EMAILTEXT, boxes.email.c_str());
    SetDlgItemTextW(hwnd_, IDC_S_PASSWORDTEXT, boxes.password.c_str());
    SetDlgItemTextW(hwnd_, IDC_S_CALLSIGNTEXT, boxes.callsign.c_str());
    SetDlgItemTextW(hwnd_, IDC_S_HOSTPORTNUMBERTEXT, boxes.HostPortNumber.c_str());
}

void SettingsWindowWin32::UnlimitBoxes() {
    for (int box : {IDC_S_EMAILTEXT, IDC_S_CALLSIGNTEXT, IDC_S_PASSWORDTEXT, IDC_S_HOSTPORTNUMBERTEXT})
        SendDlgItemMessageW(hwnd_, box, EM_SETLIMITTEXT, 0, 0);  // 0: as much as an edit control holds
}

SettingsBoxes SettingsWindowWin32::Boxes() const {
    return {BoxText(IDC_S_EMAILTEXT), BoxText(IDC_S_PASSWORDTEXT), BoxText(IDC_S_CALLSIGNTEXT),
            BoxText(IDC_S_HOSTPORTNUMBERTEXT)};
}

std::wstring SettingsWindowWin32::BoxText(int id) const {
    HWND box = GetDlgItem(hwnd_, id);
    const int length = GetWindowTextLengthW(box);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(box, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

bool SettingsWindowWin32::ShowPasswordTicked() const {
    return IsDlgButtonChecked(hwnd_, IDC_S_SHOWPASSWORDSCHECK) == BST_CHECKED;
}

void SettingsWindowWin32::SetPasswordMasked(bool masked) {
    HWND box = GetDlgItem(hwnd_, IDC_S_PASSWORDTEXT);
    SendMessageW(box, EM_SETPASSWORDCHAR, masked ? L'*' : 0, 0);
    InvalidateRect(box, nullptr, TRUE);
}

void SettingsWindowWin32::ShowLoaded() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetFocus(GetDlgItem(hwnd_, IDC_S_CANCELCOMMAND));
}

bool SettingsWindowWin32::IsMinimised() const { return hwnd_ && IsIconic(hwnd_); }

void SettingsWindowWin32::BringToFront() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void SettingsWindowWin32::SetStateNormal() { RestoreAndRaise(); }

void SettingsWindowWin32::EnableInput(bool enabled) {
    if (!enabled && IsChild(hwnd_, GetFocus())) lastFocus_ = GetFocus();
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
    if (enabled && lastFocus_ && IsChild(hwnd_, lastFocus_) && GetForegroundWindow() == hwnd_) SetFocus(lastFocus_);
}

void SettingsWindowWin32::SelectPortBox() {
    HWND port = GetDlgItem(hwnd_, IDC_S_HOSTPORTNUMBERTEXT);
    SetFocus(port);
    SendMessageW(port, EM_SETSEL, 0, -1);
}

LRESULT SettingsWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam));
    case WM_CLOSE:
        if (events_) events_->OnCloseRequest(CloseSource::SettingsFrame);
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void SettingsWindowWin32::OnCreate() {
    dpi_ = dpi::ForWindow(hwnd_);
    CreateControls(kControls, instance_);
    SendDlgItemMessageW(hwnd_, IDC_S_PASSWORDTEXT, EM_SETPASSWORDCHAR, L'*', 0);
    MakeFontsAndLayout();
}

void SettingsWindowWin32::OnCommand(int id, int notification) {
    if (!events_) return;
    switch (id) {
    case IDC_S_SAVECOMMAND: events_->OnCommand(UiCommand::SettingsSave); break;
    case IDC_S_CANCELCOMMAND: events_->OnCommand(UiCommand::SettingsCancel); break;
    case IDC_S_SHOWPASSWORDSCHECK:
        if (notification == BN_CLICKED) events_->OnCommand(UiCommand::SettingsShowPassword);
        break;
    case IDCANCEL: events_->OnSettingsKey(27); break;  // Esc, as the dialog manager reports it
    default: break;
    }
}

LRESULT SettingsWindowWin32::OnCtlColorStatic(HDC dc) {
    // Labels, frames and the check box stand on the window's own face.
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

SettingsWindowWin32::Fonts SettingsWindowWin32::MakeFonts() const {
    return {dpi::MakeFont(L"MS Sans Serif", 8.25, true, dpi_), dpi::MakeFont(L"MS Sans Serif", 8.25, false, dpi_),
            dpi::MakeFont(L"Calibri", 9, false, dpi_), dpi::MakeFont(L"Calibri", 8.25, false, dpi_)};
}

void SettingsWindowWin32::Layout() {
    LayoutControls(kControls, dpi_, [&](FontKind kind) {
        return kind == FontKind::Frame ? fonts_.frame.get()
               : kind == FontKind::Plain ? fonts_.plain.get()
               : kind == FontKind::Box   ? fonts_.box.get()
                                         : fonts_.small.get();
    });
    InvalidateRect(hwnd_, nullptr, TRUE);
}
