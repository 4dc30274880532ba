#include "gateway/main_form.h"

#include <new>

#include "gateway/form_encoding.h"
#include "gateway/messages.h"
#include "gateway/port_text.h"
#include "gateway/reply_cap.h"
#include "settings/settings_file.h"
#include "settings/window_placement.h"
#include "tray/tray_logic.h"

const wchar_t kGatewayVersion[] = L"v2.03";
const wchar_t kGatewayApiKey[] = L"5c1e7a93d04b28f6e9a3c17b5d82f40e6a9b3d71";

namespace {
constexpr int kMaxUploadTrials = 5;
// What a failed step of the upload reports when the platform gave no number.
constexpr long kOutOfMemoryError = static_cast<long>(0x8007000EL - 0x100000000LL);

// Keeps a flag raised for the duration of a scope, whichever way it ends.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = previous_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    bool previous_;
};
}  // namespace

// Asks the socket for its next datagram once the current one is done with.
class Main_form::ReadCheckOnExit {
public:
    explicit ReadCheckOnExit(Main_form& form) : form_(form) {}
    ~ReadCheckOnExit() {
        if (armed_ && form_.Running()) form_.ports_.Winsock1.RequestReadCheck();
    }
    void Cancel() { armed_ = false; }
    ReadCheckOnExit(const ReadCheckOnExit&) = delete;
    ReadCheckOnExit& operator=(const ReadCheckOnExit&) = delete;

private:
    Main_form& form_;
    bool armed_ = true;
};

// Marks the gateway busy for as long as an upload or a message box waits.
class Main_form::BusyScope {
public:
    explicit BusyScope(Main_form& form) : form_(form) { form_.EnterBusy(); }
    ~BusyScope() { form_.LeaveBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Main_form& form_;
};

std::wstring ShowableInPane(std::wstring text) {
    for (auto& c : text)
        if (c == L'\0') c = L'\x2400';  // the symbol for NUL, so the rest of the line still shows
    return text;
}

Main_form::Main_form(const MainFormPorts& ports)
    : ports_(ports), settings_form_(ports.settingsView, *this), trayPresence_(ports.tray) {}

void Main_form::EnterBusy() {
    if (busy_++ == 0 && !Ended()) settings_form_.SetInputEnabled(false);
}

void Main_form::LeaveBusy() {
    if (--busy_ == 0 && !Ended()) settings_form_.SetInputEnabled(true);
}

int Main_form::ShowMessage(const std::wstring& text, unsigned style) {
    // Nothing is shown once the shut-down has run; the caller sees a plain No.
    if (Ended()) return (style & mb::kYesNo) ? mb::kAnswerNo : mb::kAnswerOk;
    BusyScope busy(*this);
    return ports_.boxes.Show(text, style);
}

void Main_form::Form_Load() {
    Version = kGatewayVersion;
    ports_.view.SetVersionCaption(Version);
    UploadBlocked = kFalse;
    UploadTrials = 0;
    IniFilePath = ports_.app.ExeFolder() + L"\\" + ports_.app.ExeTitle() + L".ini";
    apiKey = kGatewayApiKey;

    if (ports_.app.PreviousInstanceRunning()) {
        phase_ = Phase::Refused;
        ShowMessage(messages::kAlreadyRunning, messages::kAlreadyRunningStyle);
        ports_.app.EndNow();
        return;
    }
    phase_ = Phase::Running;

    if (!SettingsFileExists()) {
        SetDefaultSettings();
    } else if (const unsigned long readError = ports_.profile.ReadError(IniFilePath)) {
        // Held open against readers, say by a backup tool: the defaults
        // serve this run, and the file keeps the operator's values.
        settingsUnread_ = true;
        SetDefaultSettings();
        ShowMessage(messages::SettingsNotRead(IniFilePath, ports_.profile.ErrorText(readError)),
                    messages::kWarningStyle);
        if (Ended()) return;
    } else {
        LoadSettingsFromINI();
    }
    KeepMonitorOnScreen();

    ports_.Winsock1.Close();
    ports_.Winsock1.SetProtocolUdp();
    const BindResult bound = BindListener();
    if (!bound.ok) ShowMessage(messages::BindFailed(HostPortNumber, bound.description), messages::kErrorStyle);
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
    saveError_ = settingsUnread_ ? 0 : SaveSettingsToINI();
    ports_.Winsock1.Close();
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
        phase_ = Phase::Ended;
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
    phase_ = Phase::Ended;
    Form_Unload(cancel);
    if (mayReport && saveError_) {
        ports_.boxes.Show(messages::SettingsNotSaved(IniFilePath, ports_.profile.ErrorText(saveError_), false),
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
    if (TakesInput()) settings_form_.Show();
}

void Main_form::Winsock1_DataArrival() {
    // Message boxes dispatch socket events while they wait; a datagram read
    // then would replace the record a pending retry is about to send.
    if (uploadInProgress_ || !Running()) return;
    // Whatever happens below, even a throw, the next datagram gets its turn.
    ReadCheckOnExit rearm(*this);
    std::optional<std::string> datagram = ports_.Winsock1.ReadPending();
    if (!datagram) {
        // Nothing waits: the socket tells of the next arrival itself. Asking
        // again here would post check after check and starve the painting.
        rearm.Cancel();
        return;
    }
    FlagGuard uploading(uploadInProgress_);
    BusyScope busy(*this);
    ADIFrecordBytes = std::move(*datagram);
    ADIFrecord = ports_.codec.FromAnsi(ADIFrecordBytes);
    UploadADIFrecord();
}

void Main_form::Winsock1_Error(int /*number*/, const std::wstring& description) {
    ShowMessage(messages::SocketError(description), messages::kSocketErrorStyle);
    ports_.Winsock1.Close();
}

void Main_form::ShowSettingsWindowNormal() {
    settings_form_.Show();
    settings_form_.SetStateNormal();
}

void Main_form::AppendToPane(Pane pane, const std::wstring& text) {
    ports_.view.AppendToPane(pane, ShowableInPane(text));
}

void Main_form::UploadADIFrecord() {
    // A retry asked for just before the session ended finds nothing to do.
    if (Ended()) return;
    HttpReply reply;
    try {
        if (UploadBlocked) {
            ShowMessage(messages::kUploadBlocked, messages::kErrorStyle);
            if (!Ended()) ShowSettingsWindowNormal();
            return;
        }

        std::string body;
        body += "email=" + EncodeFormValue(email, ports_.codec);
        body += "&password=" + EncodeFormValue(password, ports_.codec);
        body += "&callsign=" + EncodeFormValue(callsign, ports_.codec);
        body += "&adif=" + EncodeFormBytes(ADIFrecordBytes);
        body += "&api=" + EncodeFormValue(apiKey, ports_.codec);

        reply = ports_.http.PostForm(body);
    } catch (const std::bad_alloc&) {
        ShowMessage(messages::NoConnection(kOutOfMemoryError), messages::kErrorStyle);
        return;
    }
    // The program ended while the exchange waited: the record is not tried
    // again and nothing more is shown.
    if (reply.abandoned || Ended()) return;
    if (!reply.completed) {
        ShowMessage(messages::NoConnection(reply.errorNumber), messages::kErrorStyle);
        return;
    }
    ShowReply(reply);
    if (reply.status == 403) {
        UploadBlocked = kTrue;
        ShowMessage(messages::kForbidden, messages::kErrorStyle);
        if (Ended()) return;
        ShowSettingsWindowNormal();
    }

    if (reply.status == 500) {
        const int answer = ShowMessage(messages::kServerError, messages::kQuestionStyle);
        if (Ended()) return;
        if (answer == mb::kAnswerYes) {
            UploadTrials = static_cast<std::int16_t>(UploadTrials + 1);
            if (UploadTrials < kMaxUploadTrials) {
                UploadADIFrecord();
                return;
            }
            ShowMessage(messages::kMaxTrials, messages::kInformationStyle);
            UploadTrials = 0;
        } else {
            ShowMessage(messages::kUploadManually, messages::kInformationStyle);
            UploadTrials = 0;
        }
    }
}

void Main_form::ShowReply(const HttpReply& reply) {
    // The service has the record: running out of memory now must not read as
    // "No connection", which would invite a second upload by hand.
    const std::wstring status = L"[" + std::to_wstring(reply.status) + L"] ";
    try {
        AppendToPane(Pane::Text1, ADIFrecord + L"\r\n");
        AppendToPane(Pane::Text2, status + ReplyPaneText(reply, ports_.codec) + L"\r\n");
    } catch (const std::bad_alloc&) {
        AppendToPane(Pane::Text2, status + L"(the reply could not be shown: out of memory)\r\n");
    }
}

BindResult Main_form::BindListener() {
    const std::optional<std::uint16_t> port = ParsePortText(HostPortNumber);
    if (!port) {
        BindResult result;
        result.ok = false;
        result.description = L"The port must be a whole number from 1 to 65535.";
        return result;
    }
    return ports_.Winsock1.Bind(*port);
}

BindResult Main_form::RebindListener() {
    ports_.Winsock1.Close();
    return BindListener();
}

SaveOutcome Main_form::SaveFromSettingsWindow(const SettingsBoxes& boxes) {
    UploadBlocked = UploadBlockedAfterSave(*this, boxes);
    const std::wstring previousPort = HostPortNumber;
    CopyBoxesToState(*this, boxes);
    const BindResult bound = RebindListener();
    if (bound.ok) {
        // The operator's own values now: the file may take them.
        settingsUnread_ = false;
        if (const unsigned long error = SaveSettingsToINI()) {
            ShowMessage(messages::SettingsNotSaved(IniFilePath, ports_.profile.ErrorText(error), true),
                        messages::kWarningStyle);
        }
        return SaveOutcome::Saved;
    }
    // Keep receiving where we did, before the operator is told, so that a
    // session ending meanwhile saves a port that works.
    const std::wstring refusedPort = HostPortNumber;
    HostPortNumber = previousPort;
    const BindResult restored = RebindListener();
    ShowMessage(restored.ok ? messages::PortKept(refusedPort, bound.description, previousPort)
                            : messages::BindFailed(refusedPort, bound.description),
                messages::kErrorStyle);
    return SaveOutcome::PortFailed;
}

ProfilePath Main_form::IniPath() const {
    ProfilePath path;
    path.wide = IniFilePath;
    path.ansi = ports_.codec.ToAnsi(IniFilePath);
    if (ports_.codec.FromAnsi(path.ansi) == IniFilePath) return path;
    // The code page cannot name the folder, or names another one: its short
    // name is ASCII. A volume without short names leaves the wide name alone.
    // Otherwise every start would lose the credentials.
    const std::wstring folder = ports_.app.ShortPath(ports_.app.ExeFolder());
    path.ansi = folder.empty() ? std::string() : ports_.codec.ToAnsi(folder + L"\\" + ports_.app.ExeTitle() + L".ini");
    return path;
}

bool Main_form::SettingsFileExists() { return ports_.profile.OrdinaryFileExists(IniFilePath); }

void Main_form::LoadSettingsFromINI() {
    CredentialsSection = L"Credentials";
    UDPSettingsSection = L"GatewayUDPsettings";
    FormLocationSection = L"FormLocation";
    const StoredSettings stored = LoadSettings(SettingsFile{ports_.profile, ports_.codec, IniPath()});
    email = stored.email;
    password = stored.password;
    callsign = stored.callsign;
    HostPortNumber = stored.HostPortNumber;
    ports_.view.SetTop(stored.top);
    ports_.view.SetLeft(stored.left);
}

void Main_form::SetDefaultSettings() {
    email.clear();
    password.clear();
    callsign.clear();
    HostPortNumber = kFirstRunPort;
    ports_.view.SetLeft((ports_.view.ScreenWidth() - ports_.view.OuterWidth()) / 2);
    ports_.view.SetTop((ports_.view.ScreenHeight() - ports_.view.OuterHeight()) / 2);
}

unsigned long Main_form::SaveSettingsToINI() {
    CredentialsSection = L"Credentials";
    UDPSettingsSection = L"GatewayUDPsettings";
    FormLocationSection = L"FormLocation";
    StoredSettings values;
    values.email = email;
    values.password = password;
    values.callsign = callsign;
    values.HostPortNumber = HostPortNumber;
    values.top = ports_.view.Top();
    values.left = ports_.view.Left();
    return SaveSettings(SettingsFile{ports_.profile, ports_.codec, IniPath()}, values);
}

void Main_form::KeepMonitorOnScreen() {
    const ScreenRect window{ports_.view.Left(), ports_.view.Top(), ports_.view.OuterWidth(),
                            ports_.view.OuterHeight()};
    if (const std::optional<ScreenPoint> at = PlaceWhereVisible(window, ports_.view.WorkAreas())) {
        ports_.view.SetLeft(at->left);
        ports_.view.SetTop(at->top);
    }
}

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
    if (!Running() || !ports_.Winsock1.IsCurrent(socket)) return;
    if (error != 0) {
        Winsock1_Error(error, ports_.Winsock1.ErrorText(error));
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
