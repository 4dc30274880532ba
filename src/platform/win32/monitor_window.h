#pragma once
#include <windows.h>

#include "platform/monitor_view.h"
#include "platform/window_events.h"
#include "platform/win32/base_window.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/handles.h"
#include "platform/win32/monitor_pane.h"

// The monitor window: the two panes, the caption lines and the two buttons.
class MonitorWindow : public MonitorView, public BaseWindow<MonitorWindow> {
public:
    bool Create(HINSTANCE instance, HICON bigIcon, HICON smallIcon);
    void SetEvents(WindowEvents* events) { events_ = events; }
    // Shows the window once start-up has placed it, focus on "Settings".
    void ShowAfterLoad();

    void SetVersionCaption(const std::wstring& text) override;
    void AppendToPane(Pane pane, const std::wstring& text) override;
    void MoveCaretToEnd(Pane pane) override;
    float Left() const override;
    float Top() const override;
    void SetLeft(float twips) override;
    void SetTop(float twips) override;
    float OuterWidth() const override;
    float OuterHeight() const override;
    float ScreenWidth() const override;
    float ScreenHeight() const override;
    std::vector<ScreenRect> WorkAreas() const override;
    bool IsVisible() const override;
    void Show() override;
    void Hide() override;
    void SetStateNormal() override;
    void Destroy() override;

private:
    friend class BaseWindow<MonitorWindow>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void CreateChildren();
    void OnCommand(int id);
    LRESULT OnCtlColor(HDC dc, HWND control);
    struct Fonts {
        handles::Font heading;
        handles::Font pane;
        handles::Font small;
    };
    Fonts MakeFonts() const;
    void Layout();
    int FirstFocus() const { return IDC_SETTINGSCOMMAND; }
    void OnDestroy();
    MonitorPane& PaneOf(Pane pane) { return pane == Pane::Text1 ? text1_ : text2_; }
    POINT OuterTopLeft() const;

    HINSTANCE instance_ = nullptr;
    WindowEvents* events_ = nullptr;
    UINT taskbarCreated_ = 0;
    MonitorPane text1_;
    MonitorPane text2_;
    bool childrenMade_ = false;
    std::wstring version_;
    Fonts fonts_;
};
