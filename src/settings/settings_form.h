#pragma once
#include <cstdint>

#include "platform/settings_view.h"
#include "settings/settings_owner.h"

// The settings window's logic. It keeps no state of its own beyond its
// window: it opens with its owner's values and hands the Save back to it.
class Settings_form {
public:
    Settings_form(SettingsView& view, SettingsOwner& owner) : view_(view), owner_(owner) {}
    Settings_form(const Settings_form&) = delete;
    Settings_form& operator=(const Settings_form&) = delete;

    // Loads the window afresh unless it is open, then shows it without an
    // owner; an open one comes to the front with the operator's edits, and
    // a minimised one stays minimised. False when no window could be made.
    bool Show();
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
    SettingsOwner& owner_;
};
