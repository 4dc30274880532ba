#pragma once
#include <cstdint>

#include "gateway/gateway_state.h"
#include "platform/settings_view.h"

class Main_form;

// The settings window's logic. It reads and writes the monitor window's
// public fields directly and keeps no state of its own beyond its window.
class Settings_form {
public:
    Settings_form(SettingsView& view, Main_form& main) : view_(view), main_(main) {}
    Settings_form(const Settings_form&) = delete;
    Settings_form& operator=(const Settings_form&) = delete;

    // Loads the window afresh unless it is open, then shows it without an
    // owner; an open one comes to the front with the operator's edits, and
    // a minimised one stays minimised.
    void Show();
    void SetStateNormal();
    // Closes without applying anything.
    void Unload();
    bool Loaded() const { return view_.Loaded(); }
    // Off while the gateway waits for a reply or an answer; a window loaded
    // meanwhile asks the gateway itself.
    void SetInputEnabled(bool enabled);

    void SaveCommand_Click();
    void CancelCommand_Click();
    void Form_KeyPress(int keyAscii);
    void ShowPasswordsCheck_Click();
    // The frame's close box: the same as Cancel.
    void Form_QueryUnload();

private:
    void Form_Load();
    bool TakesInput() const;

    SettingsView& view_;
    Main_form& main_;
};

// A blocked gateway is unblocked once any credential differs, letter case
// included; an unblocked one stays unblocked.
std::int16_t UploadBlockedAfterSave(const GatewayState& state, const SettingsBoxes& boxes);
void CopyBoxesToState(GatewayState& state, const SettingsBoxes& boxes);
