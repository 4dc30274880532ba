#pragma once
#include <string>

#include "platform/monitor_view.h"

namespace tray {
constexpr unsigned kLeftButtonDown = 0x0201;
constexpr unsigned kRightButtonUp = 0x0205;
constexpr unsigned kTipLength = 64;

enum class Action { None, ToggleMonitor, ShowMenu };

// The icon's notification carries the mouse message that happened over it.
Action DecodeNotification(unsigned mouseMessage);

// Hide a visible (or minimised) window; show a hidden one in its normal
// state with both panes at their last line.
void ToggleMonitor(MonitorView& view);

inline const wchar_t kCredit[] = L"the Vantary team";
// "Vantary Gateway by " and the credit, in a 64-character field of blanks.
std::wstring TipField(const std::wstring& credit);
}  // namespace tray
