#pragma once
#include "platform/win32/handles.h"

// The WinHTTP functions the poster calls. A table rather than imports, so the
// DLL comes from the system folder alone; a test can also swap one function.
struct WinHttpApi {
    decltype(&::WinHttpCrackUrl) CrackUrl = nullptr;
    decltype(&::WinHttpOpen) Open = nullptr;
    decltype(&::WinHttpConnect) Connect = nullptr;
    decltype(&::WinHttpOpenRequest) OpenRequest = nullptr;
    decltype(&::WinHttpSetTimeouts) SetTimeouts = nullptr;
    decltype(&::WinHttpSetOption) SetOption = nullptr;
    decltype(&::WinHttpSendRequest) SendRequest = nullptr;
    decltype(&::WinHttpReceiveResponse) ReceiveResponse = nullptr;
    decltype(&::WinHttpQueryHeaders) QueryHeaders = nullptr;
    decltype(&::WinHttpQueryDataAvailable) QueryDataAvailable = nullptr;
    decltype(&::WinHttpReadData) ReadData = nullptr;
    decltype(&::WinHttpCloseHandle) CloseHandle = nullptr;
    decltype(&::WinHttpGetIEProxyConfigForCurrentUser) GetIEProxyConfigForCurrentUser = nullptr;
    decltype(&::WinHttpGetProxyForUrl) GetProxyForUrl = nullptr;
    DWORD loadError = ERROR_MOD_NOT_FOUND;  // 0 once every function is there
};

// winhttp.dll is no known DLL: loaded by name or imported, it would be looked
// for in the program's own folder first, where anything may have been dropped.
class WinHttpLibrary {
public:
    WinHttpLibrary();
    WinHttpLibrary(const WinHttpLibrary&) = delete;
    WinHttpLibrary& operator=(const WinHttpLibrary&) = delete;
    const WinHttpApi& Api() const { return api_; }

private:
    handles::Module module_;
    WinHttpApi api_;
};
