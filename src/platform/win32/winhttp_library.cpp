#include "platform/win32/winhttp_library.h"

#include "platform/win32/system_library.h"

namespace {
// GCC takes void (*)() as the one function type any other casts to silently.
template <class Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
    const FARPROC found = GetProcAddress(module, name);
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
    return found != nullptr;
}
}  // namespace

WinHttpLibrary::WinHttpLibrary() : module_(LoadSystemLibrary(L"winhttp.dll")) {
    if (!module_) {
        api_.loadError = GetLastError();
        return;
    }
    HMODULE m = module_.get();
    WinHttpApi api;
    const bool complete =
        Resolve(m, "WinHttpCrackUrl", api.CrackUrl) && Resolve(m, "WinHttpOpen", api.Open) &&
        Resolve(m, "WinHttpConnect", api.Connect) && Resolve(m, "WinHttpOpenRequest", api.OpenRequest) &&
        Resolve(m, "WinHttpSetTimeouts", api.SetTimeouts) && Resolve(m, "WinHttpSetOption", api.SetOption) &&
        Resolve(m, "WinHttpSendRequest", api.SendRequest) &&
        Resolve(m, "WinHttpReceiveResponse", api.ReceiveResponse) &&
        Resolve(m, "WinHttpQueryHeaders", api.QueryHeaders) &&
        Resolve(m, "WinHttpQueryDataAvailable", api.QueryDataAvailable) &&
        Resolve(m, "WinHttpReadData", api.ReadData) && Resolve(m, "WinHttpCloseHandle", api.CloseHandle) &&
        Resolve(m, "WinHttpGetIEProxyConfigForCurrentUser", api.GetIEProxyConfigForCurrentUser) &&
        Resolve(m, "WinHttpGetProxyForUrl", api.GetProxyForUrl);
    if (!complete) {
        api_.loadError = GetLastError();
        return;
    }
    api.loadError = 0;
    api_ = api;
}
