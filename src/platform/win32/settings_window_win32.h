#pragma once
#include <windows.h>

#include "platform/monitor_view.h"
#include "platform/win32/base_window.h"
#include "platform/win32/handles.h"

class Main_form;

// Settings_form: modeless, without an owner, loaded afresh at each opening.
class SettingsWindowWin32 : public SettingsWindow, public BaseWindow<SettingsWindowWin32> {
public:
    ~SettingsWindowWin32() override;

    bool Register(HINSTANCE instance, HICON bigIcon, HICON smallIcon);
    void Attach(Main_form* form, MonitorView* monitor) { form_ = form; monitor_ = monitor; }

    void Show() override;
    void SetStateNormal() override;
    void Unload() override;

private:
    friend class BaseWindow<SettingsWindowWin32>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Load();
    void OnCreate();
    void Form_Load();
    void SaveCommand_Click();
    void CancelCommand_Click();
    void Form_KeyPress(int keyAscii);
    void ShowPasswordsCheck_Click();
    void MakeFonts();
    void Layout();
    std::wstring BoxText(int id) const;

    HWND lastFocus_ = nullptr;
    HINSTANCE instance_ = nullptr;
    Main_form* form_ = nullptr;
    MonitorView* monitor_ = nullptr;
    UINT dpi_ = 96;
    handles::Font frameFont_;
    handles::Font plainFont_;
    handles::Font boxFont_;
    handles::Font smallFont_;
};
