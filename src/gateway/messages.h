#pragma once
#include <cstdint>
#include <string>

#include "platform/message_boxes.h"

// The operator-facing texts and their box styles.
namespace messages {
inline const wchar_t kAlreadyRunning[] = L"Vantary Gateway is already running.\r\nClick system tray icon.";
constexpr unsigned kAlreadyRunningStyle = mb::kSystemModal | mb::kIconInformation;  // 0x1040

inline const wchar_t kReallyStop[] = L"Do you really want to stop Vantary real-time Uploader?";
constexpr unsigned kQuestionStyle = mb::kSystemModal | mb::kDefButton2 | mb::kIconWarning | mb::kYesNo;  // 0x1134

inline const wchar_t kUploadBlocked[] = L"Upload is blocked.\r\nCheck your Vantary credentials!";
inline const wchar_t kForbidden[] =
    L"Forbidden error 403. Login rejected\r\nUpload is blocked.\r\nCheck your Vantary credentials!";
inline const wchar_t kServerError[] =
    L"Vantary internal server error 500.\r\nUpload temporarily not possible.\r\n\r\n"
    L"QSO was not logged.\r\nDo you want to try again?";
inline const wchar_t kMaxTrials[] =
    L"Max upload trials exceeded.\r\nUpload log manually when Vantary is back in service.";
inline const wchar_t kUploadManually[] = L"Upload log manually when Vantary is back in service.";
constexpr unsigned kErrorStyle = mb::kSystemModal | mb::kIconError;              // 0x1010
constexpr unsigned kInformationStyle = mb::kSystemModal | mb::kIconInformation;  // 0x1040
constexpr unsigned kSocketErrorStyle = mb::kSystemModal;                         // 0x1000
constexpr unsigned kWarningStyle = mb::kSystemModal | mb::kIconWarning;          // 0x1030

// "Error", the number with its sign position, then the advice.
std::wstring NoConnection(long errorNumber);
std::wstring SocketError(const std::wstring& description);
// Nothing is received until a Save binds a port again.
std::wstring BindFailed(const std::wstring& port, const std::wstring& reason);
// A port refused at Save while the previous one receives again; the other
// values of that Save apply already.
std::wstring PortKept(const std::wstring& port, const std::wstring& reason, const std::wstring& previousPort);
// The next start would read a box's value back otherwise: nothing is saved.
// `field` is the box's label; `why` one line.
std::wstring ValueNotKept(const std::wstring& field, const std::wstring& why);
inline const wchar_t kTooLong[] = L"It is longer than the 254 bytes that the settings file gives back.";
inline const wchar_t kNotInCodePage[] = L"It holds characters that the settings file cannot store on this Windows.";
inline const wchar_t kBlankAtEnd[] = L"It begins or ends with a blank, which the settings file drops.";
inline const wchar_t kQuotesAtEnds[] = L"It begins and ends with the same quote mark, which the settings file drops.";
inline const wchar_t kLineBreak[] = L"It holds a line break, which the settings file cannot store.";
// The response pane's line about datagrams from senders the gateway does not
// take; `count` of them so far, the latest from `sender`.
std::wstring NotForwarded(std::uint64_t count, const std::wstring& sender);

// The settings file could not be written; `applied` when the values still
// hold for this run (a Save in the settings window).
std::wstring SettingsNotSaved(const std::wstring& path, const std::wstring& reason, bool applied);
// A window the gateway needs could not be made at start-up; it ends.
std::wstring WindowNotMade(const std::wstring& window, const std::wstring& reason);
// The settings window could not be made once the gateway runs; it goes on.
std::wstring SettingsWindowNotMade(const std::wstring& reason);
// The settings file exists but could not be read at start-up.
std::wstring SettingsNotRead(const std::wstring& path, const std::wstring& reason);
}  // namespace messages
