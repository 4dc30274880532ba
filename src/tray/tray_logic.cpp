#include "tray/tray_logic.h"

namespace tray {

Action DecodeNotification(unsigned mouseMessage) {
    switch (mouseMessage) {
    case kLeftButtonDown: return Action::ToggleMonitor;
    case kRightButtonUp: return Action::ShowMenu;
    default: return Action::None;
    }
}

void ToggleMonitor(MonitorView& view) {
    if (view.IsVisible()) {
        view.Hide();
        return;
    }
    view.Show();
    view.SetStateNormal();
    view.MoveCaretToEnd(Pane::Text1);
    view.MoveCaretToEnd(Pane::Text2);
}

std::wstring TipField(const std::wstring& credit) {
    std::wstring tip = L"Vantary Gateway by " + credit;
    tip.resize(kTipLength, L' ');
    return tip;
}

}  // namespace tray
