#include "gateway/gateway_settings.h"

#include "gateway/messages.h"
#include "settings/window_placement.h"

void GatewaySettings::LoadAtStartUp() {
    if (!store_.SettingsFileExists()) {
        SetDefaultSettings();
    } else if (const unsigned long readError = store_.ReadError()) {
        // Held open against readers, say by a backup tool: the defaults
        // serve this run, and the file keeps the operator's values.
        store_.KeepUnreadFile();
        SetDefaultSettings();
        life_.ShowMessage(messages::SettingsNotRead(store_.Path(), store_.ErrorText(readError)),
                          messages::kWarningStyle);
        if (life_.Ended()) return;
    } else {
        LoadSettingsFromINI();
    }
    KeepMonitorOnScreen();
}

void GatewaySettings::LoadSettingsFromINI() {
    const StoredSettings stored = store_.LoadSettingsFromINI();
    state_.email = stored.email;
    state_.password = stored.password;
    state_.callsign = stored.callsign;
    state_.HostPortNumber = stored.HostPortNumber;
    view_.SetTop(stored.top);
    view_.SetLeft(stored.left);
}

void GatewaySettings::SetDefaultSettings() {
    state_.email.clear();
    state_.password.clear();
    state_.callsign.clear();
    state_.HostPortNumber = kFirstRunPort;
    view_.SetLeft((view_.ScreenWidth() - view_.OuterWidth()) / 2);
    view_.SetTop((view_.ScreenHeight() - view_.OuterHeight()) / 2);
}

void GatewaySettings::KeepMonitorOnScreen() {
    const ScreenRect window{view_.Left(), view_.Top(), view_.OuterWidth(), view_.OuterHeight()};
    if (const std::optional<ScreenPoint> at = PlaceWhereVisible(window, view_.WorkAreas())) {
        view_.SetLeft(at->left);
        view_.SetTop(at->top);
    }
}

SettingsValues GatewaySettings::Current() const {
    return {state_.Version, state_.email, state_.password, state_.callsign, state_.HostPortNumber};
}

StoredSettings GatewaySettings::ValuesToStore() const {
    StoredSettings values;
    values.email = state_.email;
    values.password = state_.password;
    values.callsign = state_.callsign;
    values.HostPortNumber = state_.HostPortNumber;
    values.top = view_.Top();
    values.left = view_.Left();
    return values;
}

SaveOutcome GatewaySettings::SaveFromSettingsWindow(const SettingsBoxes& boxes) {
    // Saved as typed, it would come back changed: a cut password is a 403 at
    // the next start. Nothing is applied until the operator mends it.
    if (const std::optional<std::wstring> notKept = ValueNotKeptMessage(boxes, codec_)) {
        life_.ShowMessage(*notKept, messages::kWarningStyle);
        return SaveOutcome::Refused;
    }
    state_.UploadBlocked = UploadBlockedAfterSave(state_, boxes);
    const std::wstring previousPort = state_.HostPortNumber;
    CopyBoxesToState(state_, boxes);
    const BindResult bound = listener_.Rebind(state_.HostPortNumber);
    if (bound.ok) {
        if (const unsigned long error = store_.SaveOperatorsValues(ValuesToStore())) {
            life_.ShowMessage(messages::SettingsNotSaved(store_.Path(), store_.ErrorText(error), true),
                              messages::kWarningStyle);
        }
        return SaveOutcome::Saved;
    }
    // Keep receiving where we did, before the operator is told, so that a
    // session ending meanwhile saves a port that works.
    const std::wstring refusedPort = state_.HostPortNumber;
    state_.HostPortNumber = previousPort;
    const BindResult restored = listener_.Rebind(state_.HostPortNumber);
    life_.ShowMessage(restored.ok ? messages::PortKept(refusedPort, bound.description, previousPort)
                                  : messages::BindFailed(refusedPort, bound.description),
                      messages::kErrorStyle);
    return SaveOutcome::PortFailed;
}
