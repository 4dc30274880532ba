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
    return CannotReceive(port, reason) + L"No QSO is received until the port is changed in Settings.";
}

std::wstring PortKept(const std::wstring& port, const std::wstring& reason, const std::wstring& previousPort) {
    return CannotReceive(port, reason) + L"QSOs are still received on port \"" + previousPort +
           L"\". Correct the port, or press Cancel to keep it.";
}

}  // namespace messages
