#pragma once
#include <cstdint>
#include <string>

#include "gateway/gateway_settings.h"
#include "gateway/gateway_state.h"
#include "gateway/lifecycle.h"
#include "gateway/listener.h"
#include "gateway/uploader.h"
#include "platform/http_poster.h"
#include "platform/message_boxes.h"
#include "platform/application.h"
#include "platform/local_networks.h"
#include "platform/monitor_view.h"
#include "platform/profile_store.h"
#include "platform/settings_view.h"
#include "platform/tray_icon.h"
#include "platform/ansi_codec.h"
#include "platform/udp_socket.h"
#include "platform/window_events.h"
#include "settings/settings_form.h"
#include "settings/settings_store.h"
#include "tray/tray_presence.h"

struct MainFormPorts {
    Application& app;
    MonitorView& view;
    UdpSocket& Winsock1;
    LocalNetworks& networks;
    HttpPoster& http;
    MessageBoxes& boxes;
    ProfileStore& profile;
    const AnsiCodec& codec;
    SettingsView& settingsView;
    TrayIcon& tray;
};

// Close reasons of Form_QueryUnload.
enum UnloadMode : std::int16_t {
    kFormControlMenu = 0,   // closed from the frame
    kFormCode = 1,          // the program closes itself
    kAppWindows = 2,        // Windows shuts down or the user logs off
    kAppTaskManager = 3,
};

// The monitor window's logic: start-up and shut-down, and the events the
// windows report, handed to the parts that do the work: the listener, the
// uploader, the settings file, the settings window and the tray icon.
class Main_form : public WindowEvents, public SettingsOwner {
public:
    explicit Main_form(const MainFormPorts& ports);
    Main_form(const Main_form&) = delete;
    Main_form& operator=(const Main_form&) = delete;

    void Form_Load();
    void Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode);
    void Form_Unload(std::int16_t& cancel);
    // Asks when it must, then runs the shut-down; true when the window is gone.
    bool Close(std::int16_t unloadMode);
    bool Running() const { return life_.Running(); }
    bool Ended() const { return life_.Ended(); }
    bool Busy() const override { return life_.Busy(); }
    bool TakesInput() const override { return life_.TakesInput(); }

    void HideCommand_Click();
    void settingsCommand_Click();
    void Winsock1_DataArrival();
    void Winsock1_Error(int number, const std::wstring& description);

    // 0 when every key was written, else the first failure's error number.
    unsigned long SaveSettingsToINI();
    // SettingsOwner
    SaveOutcome SaveFromSettingsWindow(const SettingsBoxes& boxes) override;
    SettingsValues CurrentSettings() const override;
    ScreenPoint MonitorPosition() const override { return {ports_.view.Left(), ports_.view.Top()}; }
    std::vector<ScreenRect> MonitorWorkAreas() const override { return ports_.view.WorkAreas(); }

    // The tray icon's notification and its menu.
    void TrayIcon_Notify(unsigned mouseMessage);
    void menuShowVantaryGatewayMonitor_Click();
    void menuShowSettings_Click();
    void menuHideThisPopupMenu_Click();
    void menuExitVantaryGateway_Click();

    // WindowEvents
    void OnCommand(UiCommand command) override;
    void OnSettingsKey(int keyAscii) override;
    void OnCloseRequest(CloseSource source) override;
    bool OnQueryEndSession() override;
    void OnEndSession() override;
    void OnSocketNotification(std::uintptr_t socket, unsigned events, int error) override;
    void OnTrayNotification(unsigned mouseMessage) override;
    void OnTaskbarCreated() override;
    void OnTrayRetryTimer() override;

private:
    int ShowMessage(const std::wstring& text, unsigned style) { return life_.ShowMessage(text, style); }
    // The operator is told when Windows cannot make the window.
    void ShowSettingsWindow();
    void ShowSettingsWindowNormal();

    MainFormPorts ports_;
    GatewayState state_;
    Settings_form settings_form_;
    Lifecycle life_;
    SettingsStore store_;
    Listener listener_;
    GatewaySettings settings_;
    Uploader uploader_;
    tray::Presence trayPresence_;
    unsigned long saveError_ = 0;  // of the shut-down's save
};

extern const wchar_t kGatewayApiKey[];
extern const wchar_t kGatewayVersion[];
