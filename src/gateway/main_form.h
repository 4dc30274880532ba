#pragma once
#include <cstdint>
#include <string>

#include "gateway/gateway_state.h"
#include "platform/http_poster.h"
#include "platform/message_boxes.h"
#include "platform/application.h"
#include "platform/monitor_view.h"
#include "platform/profile_store.h"
#include "platform/settings_view.h"
#include "platform/tray_icon.h"
#include "platform/ansi_codec.h"
#include "platform/udp_socket.h"
#include "platform/window_events.h"
#include "settings/settings_form.h"
#include "tray/tray_presence.h"

struct MainFormPorts {
    Application& app;
    MonitorView& view;
    UdpSocket& Winsock1;
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

// The monitor window's logic: start-up, shut-down, the listener and the
// upload; it also owns the settings window's logic and takes every event
// the windows report.
class Main_form : public GatewayState, public WindowEvents, public SettingsOwner {
public:
    explicit Main_form(const MainFormPorts& ports);
    Main_form(const Main_form&) = delete;
    Main_form& operator=(const Main_form&) = delete;

    void Form_Load();
    void Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode);
    void Form_Unload(std::int16_t& cancel);
    // Asks when it must, then runs the shut-down; true when the window is gone.
    bool Close(std::int16_t unloadMode);
    // Started, not refused and not yet shut down.
    bool Running() const { return phase_ == Phase::Running; }
    bool Ended() const { return phase_ == Phase::Ended; }
    // Nothing the operator starts may run while an upload waits for its
    // reply or a message box waits for an answer.
    bool Busy() const override { return busy_ > 0; }
    bool TakesInput() const override { return Running() && !Busy(); }

    void HideCommand_Click();
    void settingsCommand_Click();
    void Winsock1_DataArrival();
    void Winsock1_Error(int number, const std::wstring& description);

    // 0 when every key was written, else the first failure's error number.
    unsigned long SaveSettingsToINI();
    // The settings window's Save up to its unload: unblock rule, copy, re-bind,
    // settings file. A port that cannot be bound keeps the previous one.
    SaveOutcome SaveFromSettingsWindow(const SettingsBoxes& boxes) override;
    // SettingsOwner
    SettingsValues CurrentSettings() const override { return {Version, email, password, callsign, HostPortNumber}; }
    ScreenPoint MonitorPosition() const override { return {ports_.view.Left(), ports_.view.Top()}; }
    std::vector<ScreenRect> MonitorWorkAreas() const override { return ports_.view.WorkAreas(); }
    Settings_form& SettingsForm() { return settings_form_; }

    // The tray icon's notification and its menu.
    void TrayIcon_Notify(unsigned mouseMessage);
    void menuShowVantaryGatewayMonitor_Click();
    void menuShowSettings_Click();
    void menuHideThisPopupMenu_Click();
    void menuExitVantaryGateway_Click();

    std::int16_t Trials() const { return UploadTrials; }

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
    enum class Phase { Starting, Refused, Running, Ended };
    class BusyScope;
    class ReadCheckOnExit;

    int ShowMessage(const std::wstring& text, unsigned style);
    void EnterBusy();
    void LeaveBusy();
    void UploadADIFrecord();
    void ShowReply(const HttpReply& reply);
    void AppendToPane(Pane pane, const std::wstring& text);
    void ShowSettingsWindowNormal();
    BindResult BindListener();
    BindResult RebindListener();
    bool SettingsFileExists();
    void LoadSettingsFromINI();
    void SetDefaultSettings();
    void KeepMonitorOnScreen();
    ProfilePath IniPath() const;

    MainFormPorts ports_;
    Settings_form settings_form_;
    tray::Presence trayPresence_;
    std::int16_t UploadTrials = 0;
    std::wstring IniFilePath;
    std::wstring CredentialsSection;
    std::wstring UDPSettingsSection;
    std::wstring FormLocationSection;
    // The datagram as received, so the form carries its exact bytes in any code page.
    std::string ADIFrecordBytes;
    Phase phase_ = Phase::Starting;
    int busy_ = 0;
    bool uploadInProgress_ = false;
    // The file exists but could not be read: what the program holds is not
    // the operator's, and must not replace what the file keeps.
    bool settingsUnread_ = false;
    unsigned long saveError_ = 0;  // of the shut-down's save
};

// What a pane can show of a text: the edit control would end it at a NUL.
std::wstring ShowableInPane(std::wstring text);

extern const wchar_t kGatewayApiKey[];
extern const wchar_t kGatewayVersion[];
