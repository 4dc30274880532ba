#include "gateway/main_form.h"

#include "gateway/messages.h"
#include "gateway/version.h"
#include "tray/tray_logic.h"

const wchar_t kGatewayVersion[] = L"v" VANTARY_VERSION;
const wchar_t kGatewayApiKey[] = L"5c1e7a93d04b28f6e9a3c17b5d82f40e6a9b3d71";

Main_form::Main_form(const MainFormPorts& ports)
    : ports_(ports),
      settings_form_(ports.settingsView, *this),
      life_(ports.boxes,
            [this](bool enabled) {
                settings_form_.SetInputEnabled(enabled);
                if (enabled) listener_.InputTaken();
            }),
      store_(ports.profile, ports.codec, ports.app),
      listener_(Listener::Ports{ports.Winsock1, ports.networks, ports.view}, life_),
      settings_(state_, ports.view, store_, listener_, life_, ports.codec),
      uploader_(Uploader::Ports{ports.http, ports.codec, ports.view}, life_, state_,
                [this] { ShowSettingsWindowNormal(); }),
      trayPresence_(ports.tray) {}

void Main_form::Form_Load() {
    state_.Version = kGatewayVersion;
    ports_.view.SetVersionCaption(state_.Version);
    state_.UploadBlocked = kFalse;
    store_.Locate();
    state_.apiKey = kGatewayApiKey;

    if (ports_.app.PreviousInstanceRunning()) {
        life_.Refuse();
        ShowMessage(messages::kAlreadyRunning, messages::kAlreadyRunningStyle);
        ports_.app.EndNow();
        return;
    }
    life_.Run();

    settings_.LoadAtStartUp();
    if (Ended()) return;

    const BindResult bound = listener_.Open(state_.HostPortNumber);
    if (!bound.ok) ShowMessage(messages::BindFailed(state_.HostPortNumber, bound.description), messages::kErrorStyle);
    // The session may have ended while that message waited.
    if (Ended()) return;

    trayPresence_.Start();
}

void Main_form::Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode) {
    if (unloadMode != kFormControlMenu) return;
    if (ShowMessage(messages::kReallyStop, messages::kQuestionStyle) == mb::kAnswerNo) cancel = kTrue;
}

void Main_form::Form_Unload(std::int16_t& /*cancel*/) {
    // A file that could not be read keeps its values until the operator saves.
    saveError_ = store_.MayWrite() ? SaveSettingsToINI() : 0;
    listener_.Close();
    settings_form_.Unload();
    trayPresence_.Remove();
}

namespace {
// Windows' end of the session and a close from outside (Task Manager, taskkill)
// end the program without a question, whatever waits.
bool ClosesWithoutAsking(std::int16_t unloadMode) {
    return unloadMode == kAppWindows || unloadMode == kAppTaskManager;
}
}  // namespace

bool Main_form::Close(std::int16_t unloadMode) {
    if (Ended()) {
        // Say a box of the shut-down still waits: the window goes, and the box with it.
        if (ClosesWithoutAsking(unloadMode)) ports_.view.Destroy();
        return true;
    }
    if (!Running()) {
        // Refused, or still asking whether it may run: nothing of its own to
        // save or remove. It ends with the session, and otherwise after OK.
        if (!ClosesWithoutAsking(unloadMode)) return false;
        life_.End();
        ports_.view.Destroy();
        return true;
    }
    if (!ClosesWithoutAsking(unloadMode) && Busy()) return false;
    // Nobody answers a box at the session's end, and a box that waited goes with the window.
    const bool mayReport = unloadMode != kAppWindows && !Busy();
    std::int16_t cancel = kFalse;
    Form_QueryUnload(cancel, unloadMode);
    // A session end while the question waited has done the work.
    if (Ended()) return true;
    if (cancel) return false;
    life_.End();
    Form_Unload(cancel);
    if (mayReport && saveError_) {
        ports_.boxes.Show(messages::SettingsNotSaved(store_.Path(), store_.ErrorText(saveError_), false),
                          messages::kWarningStyle);
    }
    ports_.view.Destroy();
    return true;
}

void Main_form::HideCommand_Click() {
    // Without an icon in the tray nothing would bring the window back.
    if (TakesInput() && trayPresence_.InTray()) ports_.view.Hide();
}

void Main_form::settingsCommand_Click() {
    if (TakesInput()) ShowSettingsWindow();
}

void Main_form::Winsock1_DataArrival() {
    listener_.TakeDatagram([this](std::string bytes) { uploader_.Take(std::move(bytes)); });
}

void Main_form::Winsock1_Error(int /*number*/, const std::wstring& description) {
    ShowMessage(messages::SocketError(description), messages::kSocketErrorStyle);
    listener_.Close();
}

void Main_form::ShowSettingsWindow() {
    if (!settings_form_.Show())
        ShowMessage(messages::SettingsWindowNotMade(ports_.settingsView.LoadFailure()), messages::kWarningStyle);
}

void Main_form::ShowSettingsWindowNormal() {
    ShowSettingsWindow();
    settings_form_.SetStateNormal();
}

SettingsValues Main_form::CurrentSettings() const { return settings_.Current(); }

SaveOutcome Main_form::SaveFromSettingsWindow(const SettingsBoxes& boxes) {
    return settings_.SaveFromSettingsWindow(boxes);
}

unsigned long Main_form::SaveSettingsToINI() { return store_.SaveSettingsToINI(settings_.ValuesToStore()); }

void Main_form::TrayIcon_Notify(unsigned mouseMessage) {
    if (!TakesInput()) return;
    switch (tray::DecodeNotification(mouseMessage)) {
    case tray::Action::ToggleMonitor: tray::ToggleMonitor(ports_.view); break;
    case tray::Action::ShowMenu: ports_.tray.ShowMenu(); break;
    case tray::Action::None: break;
    }
}

void Main_form::menuShowVantaryGatewayMonitor_Click() {
    if (!TakesInput()) return;
    ports_.view.Show();
    ports_.view.SetStateNormal();
}

void Main_form::menuShowSettings_Click() {
    if (TakesInput()) ShowSettingsWindowNormal();
}

void Main_form::menuHideThisPopupMenu_Click() {
    if (TakesInput() && trayPresence_.InTray()) ports_.view.Hide();
}

void Main_form::menuExitVantaryGateway_Click() { Close(kFormCode); }

void Main_form::OnCommand(UiCommand command) {
    switch (command) {
    case UiCommand::ShowSettings: settingsCommand_Click(); break;
    case UiCommand::HideToTray: HideCommand_Click(); break;
    case UiCommand::MenuShowMonitor: menuShowVantaryGatewayMonitor_Click(); break;
    case UiCommand::MenuShowSettings: menuShowSettings_Click(); break;
    case UiCommand::MenuHideMonitor: menuHideThisPopupMenu_Click(); break;
    case UiCommand::MenuExit: menuExitVantaryGateway_Click(); break;
    case UiCommand::SettingsSave: settings_form_.SaveCommand_Click(); break;
    case UiCommand::SettingsCancel: settings_form_.CancelCommand_Click(); break;
    case UiCommand::SettingsShowPassword: settings_form_.ShowPasswordsCheck_Click(); break;
    }
}

void Main_form::OnSettingsKey(int keyAscii) { settings_form_.Form_KeyPress(keyAscii); }

void Main_form::OnCloseRequest(CloseSource source) {
    if (source == CloseSource::SettingsFrame) {
        settings_form_.Form_QueryUnload();
        return;
    }
    Close(source == CloseSource::MonitorOutside ? kAppTaskManager : kFormControlMenu);
}

// Never in the way of the session's end, whatever waits: the settings are
// saved when it comes, and nobody would be there to answer a question.
bool Main_form::OnQueryEndSession() { return true; }

void Main_form::OnEndSession() { Close(kAppWindows); }

void Main_form::OnSocketNotification(std::uintptr_t socket, unsigned events, int error) {
    // A socket closed since the notification was queued is not ours any more.
    if (!Running() || !listener_.Notifies(socket)) return;
    if (error != 0) listener_.KeepError(error);
    if (const std::optional<int> fault = listener_.ErrorToReport()) {
        Winsock1_Error(*fault, listener_.ErrorText(*fault));
        return;
    }
    if (events & kSocketReadable) Winsock1_DataArrival();
}

void Main_form::OnTrayNotification(unsigned mouseMessage) { TrayIcon_Notify(mouseMessage); }

void Main_form::OnTaskbarCreated() {
    if (Running()) trayPresence_.OnTaskbarCreated();
}

void Main_form::OnTrayRetryTimer() {
    if (Running()) trayPresence_.OnRetryTimer();
}
