#include "gateway/gateway_state.h"

#include "gateway/messages.h"
#include "settings/read_back.h"

namespace {
const wchar_t* WhyNotKept(ReadBack readBack) {
    switch (readBack) {
    case ReadBack::LineBreak: return messages::kLineBreak;
    case ReadBack::NotInCodePage: return messages::kNotInCodePage;
    case ReadBack::TooLong: return messages::kTooLong;
    case ReadBack::BlankAtEnd: return messages::kBlankAtEnd;
    case ReadBack::QuotesAtEnds: return messages::kQuotesAtEnds;
    case ReadBack::Same: break;
    }
    return nullptr;
}

std::wstring WithoutBlanksAround(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}
}  // namespace

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

std::optional<std::wstring> ValueNotKeptMessage(const SettingsBoxes& boxes, const AnsiCodec& codec) {
    // Blanks around the port do no harm: it binds the same port without them.
    const std::wstring port = WithoutBlanksAround(boxes.HostPortNumber);
    const std::pair<const wchar_t*, const std::wstring*> fields[] = {
        {L"Email", &boxes.email},
        {L"Callsign", &boxes.callsign},
        {L"Application password", &boxes.password},
        {L"Server port number", &port},
    };
    for (const auto& [label, value] : fields) {
        if (const wchar_t* why = WhyNotKept(ReadBackOf(*value, codec))) return messages::ValueNotKept(label, why);
    }
    return std::nullopt;
}
