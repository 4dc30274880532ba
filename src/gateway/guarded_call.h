#pragma once
#include <exception>

#include "platform/message_boxes.h"

// Tells the operator what failed, in a critical system-modal box. Never throws.
void ReportUnexpectedFailure(MessageBoxes& boxes, const char* what) noexcept;

// Runs a window message's handler. Nothing it throws may unwind into the
// system's code, which the 32-bit build cannot unwind through: the program
// would end without a word. The failure is reported and the fallback answered.
template <class Result, class Handler>
Result CallGuarded(MessageBoxes& boxes, Result fallback, Handler&& handler) noexcept {
    try {
        return handler();
    } catch (const std::exception& e) {
        ReportUnexpectedFailure(boxes, e.what());
    } catch (...) {
        ReportUnexpectedFailure(boxes, nullptr);
    }
    return fallback;
}
