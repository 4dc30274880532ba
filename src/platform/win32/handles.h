#pragma once
#include <windows.h>
#include <winsock2.h>
#include <winhttp.h>

#include <memory>
#include <type_traits>
#include <utility>

// Move-only owners for the handles the program holds.
namespace handles {

struct GdiDeleter { void operator()(HGDIOBJ h) const noexcept { if (h) DeleteObject(h); } };
struct IconDeleter { void operator()(HICON h) const noexcept { if (h) DestroyIcon(h); } };
struct MenuDeleter { void operator()(HMENU h) const noexcept { if (h) DestroyMenu(h); } };
struct KernelDeleter { void operator()(HANDLE h) const noexcept { if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h); } };
// WinHTTP is not imported: its handles close through the loaded DLL's function.
struct InternetDeleter {
    decltype(&::WinHttpCloseHandle) close = nullptr;
    void operator()(HINTERNET h) const noexcept { if (h && close) close(h); }
};
struct FindDeleter { void operator()(HANDLE h) const noexcept { if (h && h != INVALID_HANDLE_VALUE) FindClose(h); } };
struct ModuleDeleter { void operator()(HMODULE h) const noexcept { if (h) FreeLibrary(h); } };

using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiDeleter>;
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
using Kernel = std::unique_ptr<void, KernelDeleter>;
using Internet = std::unique_ptr<void, InternetDeleter>;
using Find = std::unique_ptr<void, FindDeleter>;
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

// SOCKET is an integer with its own invalid value.
class Socket {
public:
    Socket() = default;
    explicit Socket(SOCKET s) : s_(s) {}
    Socket(Socket&& other) noexcept : s_(std::exchange(other.s_, INVALID_SOCKET)) {}
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.s_, INVALID_SOCKET));
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { Reset(); }
    SOCKET Get() const { return s_; }
    explicit operator bool() const { return s_ != INVALID_SOCKET; }
    void Reset(SOCKET s = INVALID_SOCKET) {
        if (s_ != INVALID_SOCKET) closesocket(s_);
        s_ = s;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
};

// A DC of the window with a font selected, for measuring; both let go on every path.
class MeasuringDc {
public:
    MeasuringDc(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
        if (dc_ && font) old_ = SelectObject(dc_, font);
    }
    ~MeasuringDc() {
        if (!dc_) return;
        if (old_) SelectObject(dc_, old_);
        ReleaseDC(hwnd_, dc_);
    }
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section for as long as the scope lasts.
class Locked {
public:
    explicit Locked(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~Locked() { section_.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CriticalSection& section_;
};

}  // namespace handles
