#include "gateway/uploader.h"

#include <new>

#include "gateway/form_encoding.h"
#include "gateway/messages.h"
#include "gateway/reply_cap.h"

namespace {
constexpr int kMaxUploadTrials = 5;
// What a failed step of the upload reports when the platform gave no number.
constexpr long kOutOfMemoryError = static_cast<long>(0x8007000EL - 0x100000000LL);
}  // namespace

std::wstring ShowableInPane(std::wstring text) {
    for (auto& c : text)
        if (c == L'\0') c = L'\x2400';  // the symbol for NUL, so the rest of the line still shows
    return text;
}

void Uploader::Take(std::string bytes) {
    ADIFrecordBytes = std::move(bytes);
    state_.ADIFrecord = ports_.codec.FromAnsi(ADIFrecordBytes);
    UploadADIFrecord();
}

std::string Uploader::RequestBody() const {
    std::string body;
    body += "email=" + EncodeFormValue(state_.email, ports_.codec);
    body += "&password=" + EncodeFormValue(state_.password, ports_.codec);
    body += "&callsign=" + EncodeFormValue(state_.callsign, ports_.codec);
    body += "&adif=" + EncodeFormBytes(ADIFrecordBytes);
    body += "&api=" + EncodeFormValue(state_.apiKey, ports_.codec);
    return body;
}

void Uploader::UploadADIFrecord() {
    // A retry asked for just before the session ended finds nothing to do.
    if (life_.Ended()) return;
    HttpReply reply;
    try {
        if (state_.UploadBlocked) {
            life_.ShowMessage(messages::kUploadBlocked, messages::kErrorStyle);
            if (!life_.Ended()) showSettingsWindow_();
            return;
        }
        reply = ports_.http.PostForm(RequestBody());
    } catch (const std::bad_alloc&) {
        life_.ShowMessage(messages::NoConnection(kOutOfMemoryError), messages::kErrorStyle);
        return;
    }
    // The program ended while the exchange waited: the record is not tried
    // again and nothing more is shown.
    if (reply.abandoned || life_.Ended()) return;
    if (!reply.completed) {
        life_.ShowMessage(messages::NoConnection(reply.errorNumber), messages::kErrorStyle);
        return;
    }
    ShowReply(reply);
    if (reply.status == 403) {
        state_.UploadBlocked = kTrue;
        life_.ShowMessage(messages::kForbidden, messages::kErrorStyle);
        if (life_.Ended()) return;
        showSettingsWindow_();
    }

    if (reply.status == 500) {
        const int answer = life_.ShowMessage(messages::kServerError, messages::kQuestionStyle);
        if (life_.Ended()) return;
        if (answer == mb::kAnswerYes) {
            UploadTrials = static_cast<std::int16_t>(UploadTrials + 1);
            if (UploadTrials < kMaxUploadTrials) {
                UploadADIFrecord();
                return;
            }
            life_.ShowMessage(messages::kMaxTrials, messages::kInformationStyle);
            UploadTrials = 0;
        } else {
            life_.ShowMessage(messages::kUploadManually, messages::kInformationStyle);
            UploadTrials = 0;
        }
    }
}

void Uploader::AppendToPane(Pane pane, const std::wstring& text) {
    ports_.view.AppendToPane(pane, ShowableInPane(text));
}

void Uploader::ShowReply(const HttpReply& reply) {
    // The service has the record: running out of memory now must not read as
    // "No connection", which would invite a second upload by hand.
    const std::wstring status = L"[" + std::to_wstring(reply.status) + L"] ";
    try {
        AppendToPane(Pane::Text1, state_.ADIFrecord + L"\r\n");
        AppendToPane(Pane::Text2, status + ReplyPaneText(reply, ports_.codec) + L"\r\n");
    } catch (const std::bad_alloc&) {
        AppendToPane(Pane::Text2, status + L"(the reply could not be shown: out of memory)\r\n");
    }
}
