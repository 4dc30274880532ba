#include "gateway/guarded_call.h"

#include <string>

#include "gateway/messages.h"

namespace {
// The box dispatches messages while it waits; a handler failing again in
// there, say on every paint, would stack boxes without end.
bool reporting = false;
}  // namespace

void ReportUnexpectedFailure(MessageBoxes& boxes, const char* what) noexcept {
    if (reporting) return;
    reporting = true;
    try {
        std::wstring text = L"Unexpected error: ";
        if (what) {
            for (; *what; ++what) text += static_cast<wchar_t>(static_cast<unsigned char>(*what));
        } else {
            text += L"an unknown exception";
        }
        text += L"\r\n\r\nVantary Gateway keeps running.";
        boxes.Show(text, messages::kErrorStyle);
    } catch (...) {
        // Not even the box could be shown: carrying on is all that is left.
    }
    reporting = false;
}
