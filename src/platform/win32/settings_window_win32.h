#pragma once
#include <windows.h>

#include "platform/settings_view.h"
#include "platform/window_events.h"
#include "platform/win32/base_window.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/handles.h"

// The settings window: its layout, its painting and its messages. What the
// clicks and keys mean is decided by the logic it reports to.
class SettingsWindowWin32 : public SettingsView, public BaseWindow<SettingsWindowWin32> {
public:
    ~SettingsWindowWin32() override;

    bool Register(HINSTANCE instance, HICON bigIcon, HICON smallIcon);
    void SetEvents(WindowEvents* events) { events_ = events; }

    bool Load() override;
    std::wstring LoadFailure() const override;
    bool Loaded() const override { return hwnd_ != nullptr; }
    void Unload() override;
    void SetVersionCaption(const std::wstring& text) override;
    void MoveTo(float leftTwips, float topTwips) override;
    float OuterWidth() const override;
    float OuterHeight() const override;
    void SetBoxes(const SettingsBoxes& boxes) override;
    void UnlimitBoxes() override;
    SettingsBoxes Boxes() const override;
    bool ShowPasswordTicked() const override;
    void SetPasswordMasked(bool masked) override;
    void ShowLoaded() override;
    bool IsMinimised() const override;
    void BringToFront() override;
    void SetStateNormal() override;
    void EnableInput(bool enabled) override;
    void SelectPortBox() override;

private:
    friend class BaseWindow<SettingsWindowWin32>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnCommand(int id, int notification);
    LRESULT OnCtlColorStatic(HDC dc);
    struct Fonts {
        handles::Font frame;
        handles::Font plain;
        handles::Font box;
        handles::Font small;
    };
    Fonts MakeFonts() const;
    void Layout();
    int FirstFocus() const { return IDC_S_CANCELCOMMAND; }
    void OnDestroy() {}
    std::wstring BoxText(int id) const;

    HINSTANCE instance_ = nullptr;
    WindowEvents* events_ = nullptr;
    Fonts fonts_;
    DWORD loadError_ = 0;
};
