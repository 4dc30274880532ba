#include "settings/settings_form.h"

#include "settings/window_placement.h"

namespace {
// The window opens this far right of and below the monitor window's corner.
constexpr float kOffsetFromMonitor = 400;
constexpr int kEscape = 27;
}  // namespace

bool Settings_form::Show() {
    if (view_.Loaded()) {
        if (!view_.IsMinimised()) view_.BringToFront();
        return true;
    }
    if (!view_.Load()) return false;
    Form_Load();
    view_.EnableInput(!owner_.Busy());
    view_.ShowLoaded();
    return true;
}

void Settings_form::SetStateNormal() {
    if (view_.Loaded()) view_.SetStateNormal();
}

void Settings_form::Unload() {
    if (view_.Loaded()) view_.Unload();
}

void Settings_form::SetInputEnabled(bool enabled) {
    if (view_.Loaded()) view_.EnableInput(enabled);
}

void Settings_form::Form_Load() {
    const SettingsValues values = owner_.CurrentSettings();
    view_.SetVersionCaption(values.Version);
    // Also when the monitor window is hidden in the tray; but never off every screen.
    const ScreenPoint monitor = owner_.MonitorPosition();
    ScreenRect place{monitor.left + kOffsetFromMonitor, monitor.top + kOffsetFromMonitor,
                     view_.OuterWidth(), view_.OuterHeight()};
    if (const std::optional<ScreenPoint> at = PlaceWhereVisible(place, owner_.MonitorWorkAreas())) {
        place.left = at->left;
        place.top = at->top;
    }
    view_.MoveTo(place.left, place.top);
    // Any length: the service, not the window, judges a long password or address.
    view_.UnlimitBoxes();
    view_.SetBoxes({values.email, values.password, values.callsign, values.HostPortNumber});
}

bool Settings_form::TakesInput() const { return view_.Loaded() && owner_.TakesInput(); }

void Settings_form::SaveCommand_Click() {
    if (!TakesInput()) return;
    const SaveOutcome outcome = owner_.SaveFromSettingsWindow(view_.Boxes());
    if (outcome == SaveOutcome::Saved) {
        Unload();
        return;
    }
    // The typed values stay so that they can be corrected.
    if (outcome == SaveOutcome::PortFailed && view_.Loaded()) view_.SelectPortBox();
}

void Settings_form::CancelCommand_Click() {
    if (TakesInput()) Unload();
}

void Settings_form::Form_KeyPress(int keyAscii) {
    if (keyAscii == kEscape) CancelCommand_Click();
}

void Settings_form::ShowPasswordsCheck_Click() {
    if (view_.Loaded()) view_.SetPasswordMasked(!view_.ShowPasswordTicked());
}

void Settings_form::Form_QueryUnload() { CancelCommand_Click(); }
