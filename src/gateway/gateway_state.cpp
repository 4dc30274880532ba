#include "gateway/gateway_state.h"

std::int16_t UploadBlockedAfterSave(const GatewayState& state, const SettingsBoxes& boxes) {
    if (!state.UploadBlocked) return kFalse;
    const bool changed = state.email != boxes.email || state.password != boxes.password ||
                         state.callsign != boxes.callsign;
    return changed ? kFalse : kTrue;
}

void CopyBoxesToState(GatewayState& state, const SettingsBoxes& boxes) {
    state.email = boxes.email;
    state.password = boxes.password;
    state.callsign = boxes.callsign;
    state.HostPortNumber = boxes.HostPortNumber;
}
