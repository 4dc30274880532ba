#pragma once
#include <string>

// What the settings window's four boxes hold.
struct SettingsBoxes {
    std::wstring email;
    std::wstring password;
    std::wstring callsign;
    std::wstring HostPortNumber;
    bool operator==(const SettingsBoxes&) const = default;
};

// The settings window as its logic drives it. Positions in twips.
class SettingsView {
public:
    virtual ~SettingsView() = default;
    // Creates the window, hidden, password masked and "Show password" not ticked.
    virtual bool Load() = 0;
    // The system's reason why the last Load made no window.
    virtual std::wstring LoadFailure() const = 0;
    virtual bool Loaded() const = 0;
    // Destroys the window; nothing is kept of it.
    virtual void Unload() = 0;

    virtual void SetVersionCaption(const std::wstring& text) = 0;
    virtual void MoveTo(float leftTwips, float topTwips) = 0;
    virtual float OuterWidth() const = 0;
    virtual float OuterHeight() const = 0;
    virtual void SetBoxes(const SettingsBoxes& boxes) = 0;
    // Lets every box take as much text as the operator types or pastes.
    virtual void UnlimitBoxes() = 0;
    virtual SettingsBoxes Boxes() const = 0;
    virtual bool ShowPasswordTicked() const = 0;
    virtual void SetPasswordMasked(bool masked) = 0;

    // Shows a freshly loaded window in its normal state, focus on "Cancel".
    virtual void ShowLoaded() = 0;
    virtual bool IsMinimised() const = 0;
    virtual void BringToFront() = 0;
    virtual void SetStateNormal() = 0;
    // Takes input, or none at all, as an owner under a modal box.
    virtual void EnableInput(bool enabled) = 0;
    // Puts the focus on the port box with its text selected.
    virtual void SelectPortBox() = 0;
};
