#pragma once
#include <string>

#include "platform/message_boxes.h"

// The windows start-up makes before anything else runs.
enum class StartWindow { Monitor, Settings };

// Whether start-up may go on after making one of its windows (for Settings,
// its class). One that could not be made is told with the system's reason,
// and the program ends rather than run on without it.
bool WindowReady(MessageBoxes& boxes, StartWindow window, bool made, const std::wstring& reason);
