#include "platform/win32/monitor_window.h"

#include <winsock2.h>

#include "platform/win32/control_ids.h"
#include "platform/win32/screens.h"

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

LRESULT MonitorWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (taskbarCreated_ && message == taskbarCreated_) {
        if (events_) events_->OnTaskbarCreated();
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
        if (events_)
            events_->OnSocketNotification(static_cast<std::uintptr_t>(wParam), WSAGETSELECTEVENT(lParam),
                                          WSAGETSELECTERROR(lParam));
        return 0;
    case VANTARY_WM_TRAY:
        if (events_) events_->OnTrayNotification(static_cast<unsigned>(LOWORD(lParam)));
        return 0;
    case WM_SYSCOMMAND:
        // The close box, the window menu's Close and Alt+F4 come this way;
        // Task Manager's End task and taskkill send WM_CLOSE alone.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            if (events_) events_->OnCloseRequest(CloseSource::MonitorFrame);
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_CLOSE:
        if (events_) events_->OnCloseRequest(CloseSource::MonitorOutside);
        return 0;
    case WM_TIMER:
        if (wParam == VANTARY_TIMER_TRAY_RETRY && events_) events_->OnTrayRetryTimer();
        return 0;
    case WM_QUERYENDSESSION:
        return !events_ || events_->OnQueryEndSession();
    case WM_ENDSESSION:
        if (wParam && events_) events_->OnEndSession();
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void MonitorWindow::OnCreate() {
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    // Started elevated, the window would not hear a restarted Explorer, which runs with less.
    if (taskbarCreated_) ChangeWindowMessageFilterEx(hwnd_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
    dpi_ = dpi::ForWindow(hwnd_);
}

// Nothing before the window shows needs the controls, and making them (the
// fonts, the labels measured) costs start-up time on the way to the bound port.
void MonitorWindow::CreateChildren() {
    if (childrenMade_) return;
    childrenMade_ = true;
    CreateControls(kControls, instance_);
    text1_.Create(hwnd_, IDC_TEXT1, instance_);
    text2_.Create(hwnd_, IDC_TEXT2, instance_);
    // Each pane just behind its heading: a text box takes its accessible name
    // from the label before it. The panes still come after the buttons in the
    // tab order, as the headings take no focus.
    SetWindowPos(text1_.Handle(), GetDlgItem(hwnd_, IDC_LABEL1), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(text2_.Handle(), GetDlgItem(hwnd_, IDC_LABEL2), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!version_.empty()) SetDlgItemTextW(hwnd_, IDC_VERSIONLABEL, version_.c_str());
    MakeFontsAndLayout();
}

MonitorWindow::Fonts MonitorWindow::MakeFonts() const {
    return {dpi::MakeFont(L"Arial", 8.25, true, dpi_), dpi::MakeFont(L"Calibri", 9, false, dpi_),
            dpi::MakeFont(L"Calibri", 8.25, false, dpi_)};
}

void MonitorWindow::OnDestroy() { PostQuitMessage(0); }

void MonitorWindow::Layout() {
    LayoutControls(kControls, dpi_, [&](FontKind kind) {
        return kind == FontKind::Heading ? fonts_.heading.get()
               : kind == FontKind::Pane  ? fonts_.pane.get()
                                         : fonts_.small.get();
    });
    text1_.Move(dpi::ToPixels(kText1Place, dpi_));
    text2_.Move(dpi::ToPixels(kText2Place, dpi_));
    text1_.SetFont(fonts_.pane.get());
    text2_.SetFont(fonts_.pane.get());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT MonitorWindow::OnCtlColor(HDC dc, HWND control) {
    // The panes and the three small labels at the bottom have the window
    // colours; the headings stand on the window's face.
    const int id = GetDlgCtrlID(control);
    const bool windowColours = id == IDC_TEXT1 || id == IDC_TEXT2 || id == IDC_LABEL4 || id == IDC_LABEL6 ||
                               id == IDC_VERSIONLABEL;
    const int text = windowColours ? COLOR_WINDOWTEXT : COLOR_BTNTEXT;
    const int face = windowColours ? COLOR_WINDOW : COLOR_BTNFACE;
    SetTextColor(dc, GetSysColor(text));
    SetBkColor(dc, GetSysColor(face));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(face));
}

void MonitorWindow::OnCommand(int id) {
    if (!events_) return;
    switch (id) {
    case IDC_SETTINGSCOMMAND: events_->OnCommand(UiCommand::ShowSettings); break;
    case IDC_HIDECOMMAND: events_->OnCommand(UiCommand::HideToTray); break;
    case IDM_SHOW_MONITOR: events_->OnCommand(UiCommand::MenuShowMonitor); break;
    case IDM_SHOW_SETTINGS: events_->OnCommand(UiCommand::MenuShowSettings); break;
    case IDM_HIDE_POPUP: events_->OnCommand(UiCommand::MenuHideMonitor); break;
    case IDM_EXIT: events_->OnCommand(UiCommand::MenuExit); break;
    default: break;  // Esc (IDCANCEL) does nothing here
    }
}

void MonitorWindow::ShowAfterLoad() {
    CreateChildren();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, IDC_SETTINGSCOMMAND));
}

void MonitorWindow::SetVersionCaption(const std::wstring& text) {
    version_ = text;
    if (!childrenMade_) return;
    SetDlgItemTextW(hwnd_, IDC_VERSIONLABEL, text.c_str());
    Layout();
}

void MonitorWindow::AppendToPane(Pane pane, const std::wstring& text) { PaneOf(pane).Append(text); }

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

float MonitorWindow::OuterWidth() const { return screens::OuterWidth(hwnd_); }
float MonitorWindow::OuterHeight() const { return screens::OuterHeight(hwnd_); }
std::vector<ScreenRect> MonitorWindow::WorkAreas() const { return screens::WorkAreas(); }

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

void MonitorWindow::SetStateNormal() { RestoreAndRaise(); }

void MonitorWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}
