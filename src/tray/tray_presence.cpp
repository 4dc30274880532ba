#include "tray/tray_presence.h"

namespace tray {

void Presence::Start() {
    started_ = true;
    Settle(icon_.Add());
}

void Presence::OnRetryTimer() {
    if (!started_ || inTray_) return;
    // A refused add may still have reached the shell late: start clean.
    Settle(icon_.AddAgain());
}

void Presence::OnTaskbarCreated() {
    // Before start-up has added it there is no icon to bring back.
    if (started_) Settle(icon_.AddAgain());
}

void Presence::Remove() {
    if (!started_) return;
    icon_.SetRetryTimer(false);
    icon_.Remove();
    inTray_ = false;
    started_ = false;
}

void Presence::Settle(bool added) {
    inTray_ = added;
    icon_.SetRetryTimer(!added);
}

}  // namespace tray
