#include "gateway/messages.h"

namespace messages {

std::wstring NoConnection(long errorNumber) {
    // The number keeps a sign position: a space before zero or more.
    std::wstring number = errorNumber < 0 ? std::to_wstring(errorNumber) : L" " + std::to_wstring(errorNumber);
    return L"Error " + number + L"\r\n\r\nNo connection to Vantary server.\r\nOr server might be down at the moment.";
}

std::wstring SocketError(const std::wstring& description) { return L"Error: " + description; }

namespace {
std::wstring CannotReceive(const std::wstring& port, const std::wstring& reason) {
    return L"Vantary Gateway cannot receive on UDP port \"" + port + L"\".\r\n" + reason + L"\r\n\r\n";
}
}  // namespace

std::wstring BindFailed(const std::wstring& port, const std::wstring& reason) {
    return CannotReceive(port, reason) +
           L"No QSO is received until you click \"Save\" in the Settings window: with this port once it is "
           L"free, or with another.";
}

std::wstring PortKept(const std::wstring& port, const std::wstring& reason, const std::wstring& previousPort) {
    return CannotReceive(port, reason) + L"QSOs are still received on port \"" + previousPort +
           L"\". The other settings you typed apply already.\r\nCorrect the port and save again, or close the "
           L"Settings window to stay on port \"" + previousPort + L"\".";
}

std::wstring ValueNotKept(const std::wstring& field, const std::wstring& why) {
    return L"Vantary Gateway cannot save the \"" + field + L"\" as typed: the next start would read it "
           L"back otherwise.\r\n" + why + L"\r\n\r\nNothing was saved. Correct it, then click \"Save\" again.";
}

std::wstring NotForwarded(std::uint64_t count, const std::wstring& sender) {
    const std::wstring why = L"; IPv6 is taken only from this computer's own networks)\r\n";
    if (count == 1) return L"(not forwarded: a datagram from " + sender + why;
    std::wstring n = std::to_wstring(count);
    for (std::size_t i = n.size(); i > 3; i -= 3) n.insert(i - 3, L",");
    return L"(not forwarded: " + n + L" datagrams so far, the latest from " + sender + why;
}

std::wstring SettingsNotSaved(const std::wstring& path, const std::wstring& reason, bool applied) {
    const std::wstring head = L"Vantary Gateway could not save its settings to\r\n" + path + L"\r\n" + reason + L"\r\n\r\n";
    // Not Documents: OneDrive often syncs it, and Controlled Folder Access may guard it.
    const std::wstring where = L"a folder of your own that no cloud drive syncs, such as "
                               L"%LOCALAPPDATA%\\Vantary Gateway";
    if (applied)
        return head + L"The new settings apply until the gateway ends, but the next start will not have them.\r\n"
                      L"Close any program that holds the file, or move the gateway to " + where + L", then save again.";
    return head + L"The next start will not have the settings of this run.\r\nMove the gateway to " + where + L".";
}

std::wstring SettingsNotRead(const std::wstring& path, const std::wstring& reason) {
    return L"Vantary Gateway could not read its settings from\r\n" + path + L"\r\n" + reason +
           L"\r\n\r\nIt runs without them for now and leaves the file as it is until you save the settings "
           L"in the Settings window. Close the program that holds the file, then start the gateway again.";
}

std::wstring WindowNotMade(const std::wstring& window, const std::wstring& reason) {
    return L"Vantary Gateway cannot start: Windows did not make its " + window + L" window.\r\n" + reason +
           L"\r\n\r\nClose some programs or restart Windows, then start the gateway again.";
}

std::wstring SettingsWindowNotMade(const std::wstring& reason) {
    return L"Windows did not make the Settings window.\r\n" + reason +
           L"\r\n\r\nVantary Gateway goes on receiving and uploading. Close some programs, then try again.";
}

}  // namespace messages
