#include "gateway/lifecycle.h"

void Lifecycle::EnterBusy() {
    if (busy_++ == 0 && !Ended()) inputSwitch_(false);
}

void Lifecycle::LeaveBusy() {
    if (--busy_ == 0 && !Ended()) inputSwitch_(true);
}

int Lifecycle::ShowMessage(const std::wstring& text, unsigned style) {
    if (Ended()) return (style & mb::kYesNo) ? mb::kAnswerNo : mb::kAnswerOk;
    BusyScope busy(*this);
    return boxes_.Show(text, style);
}
