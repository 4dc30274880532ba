#include "platform/win32/monitor_window.h"

#include "gateway/main_form.h"
#include "platform/win32/ansi_codec_win32.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/tray_icon_win32.h"
#include "platform/win32/udp_socket_win32.h"

namespace {
constexpr TopLevelSpec kWindow{VANTARY_MONITOR_CLASS, L"WSJT-X Vantary Gateway Monitor",
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                               WS_EX_CONTROLPARENT, 4440, 2505};

enum class FontKind { Heading, Pane, Small };

// In tab order: creation order is the order Tab walks.
const ControlSpec<FontKind> kControls[] = {
    {IDC_SETTINGSCOMMAND, L"BUTTON", L"Settings", BS_PUSHBUTTON | WS_TABSTOP, {2250, 2100, 840, 330}, FontKind::Pane},
    {IDC_HIDECOMMAND, L"BUTTON", L"Hide to tray", BS_PUSHBUTTON | WS_TABSTOP, {3225, 2100, 1140, 330}, FontKind::Pane},
    {IDC_LABEL1, L"STATIC", L"ADIF to Vantary", SS_CENTER | SS_NOPREFIX, {450, 0, 1275, 210}, FontKind::Heading},
    {IDC_LABEL2, L"STATIC", L"Vantary response", SS_CENTER | SS_NOPREFIX, {2475, 0, 1515, 210}, FontKind::Heading},
    {IDC_LABEL4, L"STATIC", L"by the Vantary team", SS_LEFTNOWORDWRAP | SS_NOPREFIX, {75, 2250, 1560, 195}, FontKind::Small},
    {IDC_LABEL6, L"STATIC", L"Vantary real-time uploader", SS_LEFTNOWORDWRAP | SS_NOPREFIX, {75, 2070, 1905, 195}, FontKind::Small},
    {IDC_VERSIONLABEL, L"STATIC", L"v0.00", SS_LEFTNOWORDWRAP | SS_NOPREFIX, {1725, 2250, 390, 195}, FontKind::Small},
};
constexpr dpi::TwipRect kText1Place{75, 225, 2115, 1740};
constexpr dpi::TwipRect kText2Place{2250, 225, 2115, 1740};
}  // namespace

bool MonitorWindow::Create(HINSTANCE instance, HICON bigIcon, HICON smallIcon) {
    instance_ = instance;
    if (!RegisterWindowClass(kWindow, instance, bigIcon, smallIcon)) return false;
    return CreateTopLevel(kWindow, instance);
}

void MonitorWindow::Attach(Main_form* form, UdpSocketWin32* socket, TrayIconWin32* tray) {
    form_ = form;
    socket_ = socket;
    tray_ = tray;
}

LRESULT MonitorWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (taskbarCreated_ && message == taskbarCreated_) {
        // Explorer restarted: the icon is gone with the old taskbar.
        if (tray_ && form_ && form_->Loaded()) tray_->Add();
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case VANTARY_WM_SOCKET:
        OnSocket(wParam, lParam);
        return 0;
    case VANTARY_WM_TRAY:
        if (form_) form_->TrayIcon_Notify(static_cast<unsigned>(LOWORD(lParam)));
        return 0;
    case WM_CLOSE:
        if (form_) form_->Close(kFormControlMenu);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam && form_) form_->Close(kAppWindows);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        hwnd_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void MonitorWindow::OnCreate() {
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    dpi_ = dpi::ForWindow(hwnd_);
    text1_.Create(hwnd_, IDC_TEXT1, instance_);
    text2_.Create(hwnd_, IDC_TEXT2, instance_);
    CreateControls(kControls, instance_);
    // The panes come after the buttons in the tab order.
    HWND hide = GetDlgItem(hwnd_, IDC_HIDECOMMAND);
    SetWindowPos(text1_.Handle(), hide, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(text2_.Handle(), text1_.Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MakeFonts();
    Layout();
}

void MonitorWindow::MakeFonts() {
    headingFont_ = dpi::MakeFont(L"Arial", 8.25, true, dpi_);
    paneFont_ = dpi::MakeFont(L"Calibri", 9, false, dpi_);
    smallFont_ = dpi::MakeFont(L"Calibri", 8.25, false, dpi_);
}

void MonitorWindow::Layout() {
    LayoutControls(kControls, dpi_, [&](FontKind kind) {
        return kind == FontKind::Heading ? headingFont_.get() : kind == FontKind::Pane ? paneFont_.get() : smallFont_.get();
    });
    text1_.Move(dpi::ToPixels(kText1Place, dpi_));
    text2_.Move(dpi::ToPixels(kText2Place, dpi_));
    text1_.SetFont(paneFont_.get());
    text2_.SetFont(paneFont_.get());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MonitorWindow::OnDpiChanged(UINT newDpi, const RECT* suggested) {
    dpi_ = newDpi ? newDpi : dpi::ForWindow(hwnd_);
    MakeFonts();
    Layout();
    if (suggested) {
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT MonitorWindow::OnCtlColor(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    const bool windowColours = id == IDC_TEXT1 || id == IDC_TEXT2 || id == IDC_LABEL4 || id == IDC_LABEL6 ||
                               id == IDC_VERSIONLABEL;
    if (!windowColours) return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(control));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void MonitorWindow::OnCommand(int id) {
    if (!form_) return;
    switch (id) {
    case IDC_SETTINGSCOMMAND: form_->settingsCommand_Click(); break;
    case IDC_HIDECOMMAND: form_->HideCommand_Click(); break;
    case IDM_SHOW_MONITOR: form_->menuShowVantaryGatewayMonitor_Click(); break;
    case IDM_SHOW_SETTINGS: form_->menuShowSettings_Click(); break;
    case IDM_HIDE_POPUP: form_->menuHideThisPopupMenu_Click(); break;
    case IDM_EXIT: form_->menuExitVantaryGateway_Click(); break;
    default: break;
    }
}

void MonitorWindow::OnSocket(WPARAM wParam, LPARAM lParam) {
    if (!form_ || !socket_ || static_cast<SOCKET>(wParam) != socket_->Handle()) return;  // a closed socket's
    const int error = WSAGETSELECTERROR(lParam);
    if (error) {
        form_->Winsock1_Error(error, SystemErrorText(static_cast<unsigned long>(error)));
        return;
    }
    if (WSAGETSELECTEVENT(lParam) & FD_READ) form_->Winsock1_DataArrival();
}

void MonitorWindow::ShowAfterLoad() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, IDC_SETTINGSCOMMAND));
}

void MonitorWindow::SetVersionCaption(const std::wstring& text) {
    SetDlgItemTextW(hwnd_, IDC_VERSIONLABEL, text.c_str());
}

void MonitorWindow::AppendToPane(Pane pane, const std::wstring& text) {
    // The edit control ends its text at a NUL; a visible stand-in keeps the rest of the record.
    if (text.find(L'\0') == std::wstring::npos) {
        PaneOf(pane).Append(text);
        return;
    }
    std::wstring shown = text;
    for (auto& c : shown) if (c == L'\0') c = L'\x2400';
    PaneOf(pane).Append(shown);
}

void MonitorWindow::MoveCaretToEnd(Pane pane) { PaneOf(pane).MoveCaretToEnd(); }

POINT MonitorWindow::OuterTopLeft() const {
    if (!hwnd_) return POINT{0, 0};
    if (IsIconic(hwnd_)) {
        // A minimised window's own rectangle is off-screen; its restored place counts.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(hwnd_, &placement);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
        return POINT{placement.rcNormalPosition.left + info.rcWork.left - info.rcMonitor.left,
                     placement.rcNormalPosition.top + info.rcWork.top - info.rcMonitor.top};
    }
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return POINT{r.left, r.top};
}

float MonitorWindow::Left() const { return dpi::PixelsToTwips(OuterTopLeft().x, dpi::ForSystem()); }
float MonitorWindow::Top() const { return dpi::PixelsToTwips(OuterTopLeft().y, dpi::ForSystem()); }

void MonitorWindow::SetLeft(float twips) {
    const POINT at = OuterTopLeft();
    SetWindowPos(hwnd_, nullptr, dpi::TwipsToPixels(twips, dpi::ForSystem()), at.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MonitorWindow::SetTop(float twips) {
    const POINT at = OuterTopLeft();
    SetWindowPos(hwnd_, nullptr, at.x, dpi::TwipsToPixels(twips, dpi::ForSystem()), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float MonitorWindow::OuterWidth() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return dpi::PixelsToTwips(r.right - r.left, dpi::ForSystem());
}

float MonitorWindow::OuterHeight() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return dpi::PixelsToTwips(r.bottom - r.top, dpi::ForSystem());
}

float MonitorWindow::ScreenWidth() const {
    return dpi::PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi::ForSystem());
}

float MonitorWindow::ScreenHeight() const {
    return dpi::PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi::ForSystem());
}

bool MonitorWindow::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void MonitorWindow::Show() {
    if (hwnd_) ShowWindow(hwnd_, SW_SHOW);
}

void MonitorWindow::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void MonitorWindow::SetStateNormal() {
    if (hwnd_ && (IsIconic(hwnd_) || IsZoomed(hwnd_))) ShowWindow(hwnd_, SW_RESTORE);
    if (hwnd_) SetForegroundWindow(hwnd_);
}

void MonitorWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}
