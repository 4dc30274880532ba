#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "../../src/platform/win32/control_ids.h"
#include "harness/deadline.h"
#include "harness/form_decoder.h"
#include "harness/gateway_process.h"
#include "harness/paths.h"
#include "harness/screen.h"
#include "harness/stand_in_service.h"
#include "harness/tray_probe.h"
#include "harness/udp_sender.h"
#include "harness/ui_probe.h"

namespace e2e {

// stunnel listens on 47443 with TLS and forwards here.
constexpr std::uint16_t kStandInPort = 47080;
// Another https host: stunnel's https://localhost:47444 forwards here.
constexpr std::uint16_t kOtherHostPort = 47081;
inline const std::string kOtherHostUrl = "https://localhost:47444/realtime.php";

// The exact message texts the operator must see.
inline const std::wstring kMsgAlreadyRunning = L"Vantary Gateway is already running.\r\nClick system tray icon.";
inline const std::wstring kMsgReallyStop = L"Do you really want to stop Vantary real-time Uploader?";
inline const std::wstring kMsgBlocked = L"Upload is blocked.\r\nCheck your Vantary credentials!";
inline const std::wstring kMsgForbidden =
    L"Forbidden error 403. Login rejected\r\nUpload is blocked.\r\nCheck your Vantary credentials!";
inline const std::wstring kMsgServerError =
    L"Vantary internal server error 500.\r\nUpload temporarily not possible.\r\n\r\nQSO was not logged.\r\n"
    L"Do you want to try again?";
inline const std::wstring kMsgMaxTrials =
    L"Max upload trials exceeded.\r\nUpload log manually when Vantary is back in service.";
inline const std::wstring kMsgManualUpload = L"Upload log manually when Vantary is back in service.";
inline const std::wstring kMsgNoConnectionTail =
    L"\r\n\r\nNo connection to Vantary server.\r\nOr server might be down at the moment.";

// A settings file as an operator's earlier run would have left it.
std::string SettingsText(const std::string& email, const std::string& password, const std::string& callsign,
                         const std::string& port, const std::string& formLocation = "FormTop=1200\r\nFormLeft=1500\r\n");

// A form field of a recorded request, decoded; "<no NAME field>" when absent.
std::string FieldOf(const RecordedRequest& request, const std::string& name);

// Deterministic noise, so that a failure can be replayed.
std::string RandomBytes(std::uint32_t& seed, size_t size);

// A WSJT-X-style contact record.
std::string Contact(const std::string& call, int n = 1);

// Every test starts its own stand-in service and its own gateway in a fresh
// folder, and ends both, whatever the result.
class GatewayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the settings file (unless null) and starts the gateway; fails the
    // test unless the monitor window shows.
    void StartGateway(const std::string* settings);
    void StartGatewayWithPort(std::uint16_t port, const std::string& email = "op@example.org",
                              const std::string& password = "app-pass", const std::string& callsign = "DL1ABC");

    // Sends a datagram to the gateway's port.
    void Send(const std::string& bytes);

    // The next message box; fails the test when none comes.
    MessageBoxView ExpectBox(const std::wstring& text, BoxIcon icon, bool yesNo);
    void Answer(const MessageBoxView& box, int id);
    // Answers and waits for that box to go.
    void AnswerAndWait(const MessageBoxView& box, int id);

    // True when no message box shows up during the quiet period.
    bool NoBoxAppears() const;
    // True when the stand-in receives no further request during the period.
    bool NoMoreRequests(size_t now) const;

    // Waits until pane 1 and pane 2 hold these texts.
    void ExpectPanes(const std::wstring& text1, const std::wstring& text2, DWORD timeoutMs = kReplyTimeoutMs);

    StandInService service_{kStandInPort};
    std::unique_ptr<GatewayFolder> folder_;
    GatewayProcess gateway_;
    std::uint16_t port_ = 0;
};

}  // namespace e2e
