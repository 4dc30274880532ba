#pragma once
#include <string>
#include <vector>

#include "platform/screen_rect.h"

enum class Pane { Text1, Text2 };

// What the gateway needs of its monitor window. Positions and sizes in twips.
class MonitorView {
public:
    virtual ~MonitorView() = default;
    virtual void SetVersionCaption(const std::wstring& text) = 0;
    virtual void AppendToPane(Pane pane, const std::wstring& text) = 0;
    virtual void MoveCaretToEnd(Pane pane) = 0;

    virtual float Left() const = 0;
    virtual float Top() const = 0;
    virtual void SetLeft(float twips) = 0;
    virtual void SetTop(float twips) = 0;
    virtual float OuterWidth() const = 0;
    virtual float OuterHeight() const = 0;
    virtual float ScreenWidth() const = 0;
    virtual float ScreenHeight() const = 0;
    // The work areas of the monitors there are now, the primary one first.
    virtual std::vector<ScreenRect> WorkAreas() const = 0;

    virtual bool IsVisible() const = 0;  // a minimised window counts as visible
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void SetStateNormal() = 0;
    // Ends the window's life once the shut-down has run.
    virtual void Destroy() = 0;
};
