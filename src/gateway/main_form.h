#pragma once
#include <cstdint>
#include <string>

#include "gateway/gateway_state.h"
#include "platform/http_poster.h"
#include "platform/message_box.h"
#include "platform/monitor_view.h"
#include "platform/profile_store.h"
#include "platform/text_codec.h"
#include "platform/udp_socket.h"
#include "settings/settings_form_logic.h"

struct MainFormPorts {
    Application& app;
    MonitorView& view;
    UdpSocket& Winsock1;
    HttpPoster& http;
    MessageBoxes& boxes;
    ProfileStore& profile;
    const AnsiCodec& codec;
    SettingsWindow& settingsWindow;
    TrayIcon& tray;
};

enum class SaveOutcome { Saved, PortFailed };

// Close reasons of Form_QueryUnload.
enum UnloadMode : std::int16_t {
    kFormControlMenu = 0,   // closed from the frame
    kFormCode = 1,          // the program closes itself
    kAppWindows = 2,        // Windows shuts down or the user logs off
    kAppTaskManager = 3,
};

// The monitor window's logic: start-up, shut-down, the listener and the upload.
class Main_form : public GatewayState {
public:
    explicit Main_form(const MainFormPorts& ports);
    Main_form(const Main_form&) = delete;
    Main_form& operator=(const Main_form&) = delete;

    void Form_Load();
    void Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode);
    void Form_Unload(std::int16_t& cancel);
    // Asks, then runs the shut-down; true when the window is to go.
    bool Close(std::int16_t unloadMode);
    bool Loaded() const { return loaded_; }

    void HideCommand_Click();
    void settingsCommand_Click();
    void Winsock1_DataArrival();
    void Winsock1_Error(int number, const std::wstring& description);

    void SaveSettingsToINI();
    // Closes the listener and binds it to HostPortNumber again.
    BindResult RebindListener();
    // The settings window's Save up to its unload: unblock rule, copy, re-bind,
    // settings file. A port that cannot be bound keeps the previous one.
    SaveOutcome SaveFromSettingsWindow(const SettingsBoxes& boxes);
    // The tray icon's notification and its menu.
    void TrayIcon_Notify(unsigned mouseMessage);
    void menuShowVantaryGatewayMonitor_Click();
    void menuShowSettings_Click();
    void menuHideThisPopupMenu_Click();
    void menuExitVantaryGateway_Click();

    bool UploadInProgress() const { return uploadInProgress_; }
    std::int16_t Trials() const { return UploadTrials; }

private:
    void UploadADIFrecord();
    void ShowSettingsWindowNormal();
    BindResult BindListener();
    void ReportBindFailure(const BindResult& result);
    bool SettingsFileExists();
    void LoadSettingsFromINI();
    void SetDefaultSettings();
    std::string IniPathAnsi() const;

    MainFormPorts ports_;
    std::int16_t UploadTrials = 0;
    std::wstring IniFilePath;
    std::wstring CredentialsSection;
    std::wstring UDPSettingsSection;
    std::wstring FormLocationSection;
    // The datagram as received, so the form carries its exact bytes in any code page.
    std::string ADIFrecordBytes;
    bool uploadInProgress_ = false;
    bool loaded_ = false;
    bool unloaded_ = false;
};

extern const wchar_t kGatewayApiKey[];
extern const wchar_t kGatewayVersion[];
