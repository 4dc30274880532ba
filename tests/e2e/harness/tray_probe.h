#pragma once
#include <string>

#include "win.h"

namespace e2e {

// Whether the shell lists the icon of that window and id: a change of
// nothing succeeds only for an icon it has.
bool TrayIconPresent(HWND owner, UINT id = 1);
// Takes the icon out of the tray as a restarted shell would have lost it.
bool RemoveTrayIcon(HWND owner, UINT id = 1);
// The tip the tray shows when the pointer rests on its only icon; empty when
// none shows in time.
std::wstring TrayTipOfOnlyIcon(DWORD timeoutMs);

}  // namespace e2e
