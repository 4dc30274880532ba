#include "gateway/start_windows.h"

#include "gateway/messages.h"

bool WindowReady(MessageBoxes& boxes, StartWindow window, bool made, const std::wstring& reason) {
    if (made) return true;
    boxes.Show(messages::WindowNotMade(window == StartWindow::Monitor ? L"monitor" : L"Settings", reason),
               messages::kErrorStyle);
    return false;
}
