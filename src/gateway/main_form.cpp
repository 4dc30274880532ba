#include "gateway/main_form.h"

#include <new>

#include "gateway/form_encoding.h"
#include "gateway/messages.h"
#include "gateway/port_text.h"
#include "gateway/reply_text.h"
#include "settings/settings_file.h"
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

Main_form::Main_form(const MainFormPorts& ports) : ports_(ports) {}

void Main_form::Form_Load() {
    Version = kGatewayVersion;
    ports_.view.SetVersionCaption(Version);
    UploadBlocked = kFalse;
    UploadTrials = 0;
    IniFilePath = ports_.app.ExeFolder() + L"\\" + ports_.app.ExeTitle() + L".ini";
    apiKey = kGatewayApiKey;

    if (ports_.app.PreviousInstanceRunning()) {
        ports_.boxes.Show(messages::kAlreadyRunning, messages::kAlreadyRunningStyle);
        ports_.app.EndNow();
        return;
    }

    if (SettingsFileExists()) {
        LoadSettingsFromINI();
    } else {
        SetDefaultSettings();
    }

    ports_.Winsock1.Close();
    ports_.Winsock1.SetProtocolUdp();
    const BindResult bound = BindListener();
    if (!bound.ok) ReportBindFailure(bound);

    ports_.tray.Add();
    loaded_ = true;
}

void Main_form::Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode) {
    if (unloadMode != kFormControlMenu) return;
    if (ports_.boxes.Show(messages::kReallyStop, messages::kQuestionStyle) == mb::kAnswerNo) cancel = kTrue;
}

void Main_form::Form_Unload(std::int16_t& /*cancel*/) {
    SaveSettingsToINI();
    ports_.Winsock1.Close();
    ports_.settingsWindow.Unload();
    ports_.tray.Remove();
}

bool Main_form::Close(std::int16_t unloadMode) {
    if (unloaded_) return true;
    std::int16_t cancel = kFalse;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel) return false;
    // A second close arriving while the question waited finds the work done.
    if (unloaded_) return true;
    unloaded_ = true;
    Form_Unload(cancel);
    ports_.view.Destroy();
    return true;
}

void Main_form::HideCommand_Click() { ports_.view.Hide(); }

void Main_form::settingsCommand_Click() { ports_.settingsWindow.Show(); }

void Main_form::Winsock1_DataArrival() {
    // Message boxes dispatch socket events while they wait; a datagram read
    // then would replace the record a pending retry is about to send.
    if (uploadInProgress_ || unloaded_) return;
    std::optional<std::string> datagram = ports_.Winsock1.ReadPending();
    if (!datagram) return;
    {
        FlagGuard busy(uploadInProgress_);
        ADIFrecordBytes = std::move(*datagram);
        ADIFrecord = ports_.codec.FromAnsi(ADIFrecordBytes);
        UploadADIFrecord();
    }
    ports_.Winsock1.RequestReadCheck();
}

void Main_form::Winsock1_Error(int /*number*/, const std::wstring& description) {
    ports_.boxes.Show(messages::SocketError(description), messages::kSocketErrorStyle);
    ports_.Winsock1.Close();
}

void Main_form::ShowSettingsWindowNormal() {
    ports_.settingsWindow.Show();
    ports_.settingsWindow.SetStateNormal();
}

void Main_form::UploadADIFrecord() {
    try {
        if (UploadBlocked) {
            ports_.boxes.Show(messages::kUploadBlocked, messages::kErrorStyle);
            ShowSettingsWindowNormal();
            return;
        }

        std::string body;
        body += "email=" + EncodeFormValue(email, ports_.codec);
        body += "&password=" + EncodeFormValue(password, ports_.codec);
        body += "&callsign=" + EncodeFormValue(callsign, ports_.codec);
        body += "&adif=" + EncodeFormBytes(ADIFrecordBytes);
        body += "&api=" + EncodeFormValue(apiKey, ports_.codec);

        const HttpReply reply = ports_.http.PostForm(body);
        if (!reply.completed) {
            ports_.boxes.Show(messages::NoConnection(reply.errorNumber), messages::kErrorStyle);
            return;
        }

        ports_.view.AppendToPane(Pane::Text1, ADIFrecord + L"\r\n");
        ports_.view.AppendToPane(Pane::Text2, L"[" + std::to_wstring(reply.status) + L"] " +
                                                  DecodeReplyText(reply.body, reply.contentType, ports_.codec) +
                                                  L"\r\n");

        if (reply.status == 403) {
            UploadBlocked = kTrue;
            ports_.boxes.Show(messages::kForbidden, messages::kErrorStyle);
            ShowSettingsWindowNormal();
        }

        if (reply.status == 500) {
            if (ports_.boxes.Show(messages::kServerError, messages::kQuestionStyle) == mb::kAnswerYes) {
                UploadTrials = static_cast<std::int16_t>(UploadTrials + 1);
                if (UploadTrials < kMaxUploadTrials) {
                    UploadADIFrecord();
                    return;
                }
                ports_.boxes.Show(messages::kMaxTrials, messages::kInformationStyle);
                UploadTrials = 0;
            } else {
                ports_.boxes.Show(messages::kUploadManually, messages::kInformationStyle);
                UploadTrials = 0;
            }
        }
    } catch (const std::bad_alloc&) {
        ports_.boxes.Show(messages::NoConnection(kOutOfMemoryError), messages::kErrorStyle);
    }
}

BindResult Main_form::BindListener() {
    if (!ParsePortText(HostPortNumber)) {
        BindResult result;
        result.ok = false;
        result.description = L"The port must be a whole number from 1 to 65535.";
        return result;
    }
    return ports_.Winsock1.Bind(HostPortNumber);
}

void Main_form::ReportBindFailure(const BindResult& result) {
    ports_.boxes.Show(messages::BindFailed(HostPortNumber, result.description), messages::kErrorStyle);
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
    if (!bound.ok) {
        ReportBindFailure(bound);
        // Keep receiving where we did; the operator corrects the port.
        HostPortNumber = previousPort;
        ports_.Winsock1.Close();
        const BindResult restored = BindListener();
        if (!restored.ok) ReportBindFailure(restored);
        return SaveOutcome::PortFailed;
    }
    SaveSettingsToINI();
    return SaveOutcome::Saved;
}

std::string Main_form::IniPathAnsi() const {
    std::string path = ports_.codec.ToAnsi(IniFilePath);
    if (ports_.codec.FromAnsi(path) == IniFilePath) return path;
    // The code page cannot name the folder, or names another one: its short
    // name is ASCII. Otherwise every start would lose the credentials.
    const std::wstring folder = ports_.app.ShortPath(ports_.app.ExeFolder());
    return folder.empty() ? path : ports_.codec.ToAnsi(folder + L"\\" + ports_.app.ExeTitle() + L".ini");
}

bool Main_form::SettingsFileExists() { return ports_.profile.OrdinaryFileExists(IniFilePath); }

void Main_form::LoadSettingsFromINI() {
    CredentialsSection = L"Credentials";
    UDPSettingsSection = L"GatewayUDPsettings";
    FormLocationSection = L"FormLocation";
    const StoredSettings stored = LoadSettings(SettingsFile{ports_.profile, ports_.codec, IniPathAnsi()});
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

void Main_form::SaveSettingsToINI() {
    CredentialsSection = L"Credentials";
    UDPSettingsSection = L"GatewayUDPsettings";
    FormLocationSection = L"FormLocation";
    SaveSettings(SettingsFile{ports_.profile, ports_.codec, IniPathAnsi()}, *this, ports_.view.Top(),
                 ports_.view.Left());
}

void Main_form::TrayIcon_Notify(unsigned mouseMessage) {
    switch (tray::DecodeNotification(mouseMessage)) {
    case tray::Action::ToggleMonitor: tray::ToggleMonitor(ports_.view); break;
    case tray::Action::ShowMenu: ports_.tray.ShowMenu(); break;
    case tray::Action::None: break;
    }
}

void Main_form::menuShowVantaryGatewayMonitor_Click() {
    ports_.view.Show();
    ports_.view.SetStateNormal();
}

void Main_form::menuShowSettings_Click() { ShowSettingsWindowNormal(); }

void Main_form::menuHideThisPopupMenu_Click() { ports_.view.Hide(); }

void Main_form::menuExitVantaryGateway_Click() { Close(kFormCode); }
