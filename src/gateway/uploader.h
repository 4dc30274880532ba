#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "gateway/gateway_state.h"
#include "gateway/lifecycle.h"
#include "platform/ansi_codec.h"
#include "platform/http_poster.h"
#include "platform/monitor_view.h"

// The upload of one record: the exchange with the service, the record and
// its reply in the panes, the block after a login rejection and the
// retries the operator accepts after a server error.
class Uploader {
public:
    struct Ports {
        HttpPoster& http;
        const AnsiCodec& codec;
        MonitorView& view;
    };
    // `state` gives the credentials and takes the record and the block;
    // `showSettingsWindow` opens the settings window for the operator.
    Uploader(const Ports& ports, Lifecycle& life, GatewayState& state, std::function<void()> showSettingsWindow)
        : ports_(ports), life_(life), state_(state), showSettingsWindow_(std::move(showSettingsWindow)) {}
    Uploader(const Uploader&) = delete;
    Uploader& operator=(const Uploader&) = delete;

    // A datagram's bytes become the record, which is uploaded at once.
    void Take(std::string bytes);
    void UploadADIFrecord();

private:
    void ShowReply(const HttpReply& reply);
    void AppendToPane(Pane pane, const std::wstring& text);
    std::string RequestBody() const;

    Ports ports_;
    Lifecycle& life_;
    GatewayState& state_;
    std::function<void()> showSettingsWindow_;
    std::int16_t UploadTrials = 0;
    // The datagram as received, so the form carries its exact bytes in any code page.
    std::string ADIFrecordBytes;
};

// What a pane can show of a text: a NUL would end it.
std::wstring ShowableInPane(std::wstring text);
