#include <windows.h>

#include "gateway/guarded_call.h"
#include "gateway/main_form.h"
#include "gateway/start_windows.h"
#include "platform/win32/ansi_codec_win32.h"
#include "platform/win32/application_win32.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/deferred_winhttp_poster.h"
#include "platform/win32/error_text.h"
#include "platform/win32/local_networks_win32.h"
#include "platform/win32/message_boxes_win32.h"
#include "platform/win32/monitor_window.h"
#include "platform/win32/profile_store_win32.h"
#include "platform/win32/settings_window_win32.h"
#include "platform/win32/system_library.h"
#include "platform/win32/tray_icon_win32.h"
#include "platform/win32/udp_socket_win32.h"

#ifndef VANTARY_UPLOAD_URL
#error "VANTARY_UPLOAD_URL names the endpoint; it is set by the build"
#endif

namespace {
handles::Icon LoadAppIcon(HINSTANCE instance, int metricX, int metricY) {
    return handles::Icon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                       GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0)));
}

int RunMessageLoop(HWND monitor, const SettingsWindowWin32& settings) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The modeless windows get Tab and Esc from the dialog manager.
        HWND settingsWindow = settings.Handle();
        if (settingsWindow && IsDialogMessageW(settingsWindow, &msg)) continue;
        if (monitor && IsWindow(monitor) && IsDialogMessageW(monitor, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Every load comes from the system folder, never from the program's own,
    // which is often Downloads: the search was restricted before the first
    // constructor ran (stack_guard.cpp).
    WinsockSession winsock;

    handles::Icon bigIcon = LoadAppIcon(instance, SM_CXICON, SM_CYICON);
    handles::Icon smallIcon = LoadAppIcon(instance, SM_CXSMICON, SM_CYSMICON);

    AnsiCodecWin32 codec;
    ApplicationWin32 app;
    MessageBoxesWin32 boxes;
    ProfileStoreWin32 profile(codec);
    UdpSocketWin32 socket;
    LocalNetworksWin32 networks;
    DeferredWinHttpPoster http(VANTARY_UPLOAD_URL);
    TrayIconWin32 tray(codec, smallIcon.get());
    SettingsWindowWin32 settings;
    MonitorWindow monitor;

    // Without either window the gateway would run on unseen, or "Settings" would never open.
    const bool monitorMade = monitor.Create(instance, bigIcon.get(), smallIcon.get());
    if (!WindowReady(boxes, StartWindow::Monitor, monitorMade, monitorMade ? L"" : SystemErrorText(GetLastError())))
        return 1;
    const bool settingsMade = settings.Register(instance, bigIcon.get(), smallIcon.get());
    if (!WindowReady(boxes, StartWindow::Settings, settingsMade, settingsMade ? L"" : SystemErrorText(GetLastError())))
        return 1;
    socket.SetNotifyWindow(monitor.Handle(), VANTARY_WM_SOCKET);
    tray.SetWindow(monitor.Handle());
    boxes.SetOwner(monitor.Handle());

    Main_form form(MainFormPorts{app, monitor, socket, networks, http, boxes, profile, codec, settings, tray});
    monitor.SetEvents(&form);
    settings.SetEvents(&form);

    // A failure in start-up is told like one in any window message, not by a silent end.
    CallGuarded(boxes, 0, [&] {
        form.Form_Load();
        return 0;
    });
    // Refused, or the session ended during start-up: nothing more is shown.
    if (!form.Running()) return 0;
    const handles::Module commonControls(LoadCommonControls());
    monitor.ShowAfterLoad();
    http.Load();
    return RunMessageLoop(monitor.Handle(), settings);
}
