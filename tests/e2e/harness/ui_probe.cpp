#include "ui_probe.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "deadline.h"
#include "pixels.h"

namespace e2e {
namespace {

struct FindArgs {
    DWORD pid;
    const wchar_t* cls;
    const wchar_t* caption;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
    auto* a = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != a->pid) return TRUE;
    if (a->visibleOnly && !IsWindowVisible(h)) return TRUE;
    if (a->cls) {
        wchar_t cls[256] = {};
        GetClassNameW(h, cls, 256);
        if (lstrcmpW(cls, a->cls) != 0) return TRUE;
    }
    if (a->caption && WindowText(h) != a->caption) return TRUE;
    a->found = h;
    return FALSE;
}

BOOL CALLBACK ChildProc(HWND h, LPARAM lp) {
    auto* v = reinterpret_cast<std::vector<HWND>*>(lp);
    v->push_back(h);
    return TRUE;
}

std::wstring ClassOf(HWND h) {
    wchar_t cls[256] = {};
    GetClassNameW(h, cls, 256);
    return cls;
}

// The system icon drawn the way a message box draws it, on that background.
std::vector<DWORD> RenderIcon(LPCWSTR id, int w, int h, DWORD background) {
    std::vector<DWORD> px(static_cast<size_t>(w) * h);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    std::fill(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + px.size(), background);
    DrawIconEx(mem, 0, 0, LoadIconW(nullptr, id), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    GdiFlush();
    memcpy(px.data(), bits, px.size() * 4);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return px;
}

long long Distance(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    long long d = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            d += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
    return d;
}

BoxIcon ClassifyIcon(HWND iconControl) {
    RECT r;
    GetWindowRect(iconControl, &r);
    if (r.right - r.left < 8 || r.bottom - r.top < 8) return BoxIcon::Unknown;
    const std::vector<DWORD> seen = CaptureScreen(r).pixels;
    const DWORD background = seen[0] & 0xFFFFFF;
    struct Candidate { LPCWSTR id; BoxIcon kind; } candidates[] = {
        {IDI_HAND, BoxIcon::Critical}, {IDI_EXCLAMATION, BoxIcon::Warning}, {IDI_ASTERISK, BoxIcon::Information}};
    BoxIcon best = BoxIcon::Unknown;
    long long bestDistance = -1;
    long long blank = 0;
    for (DWORD p : seen) blank += (p & 0xFFFFFF) != background;
    if (blank == 0) return BoxIcon::Unknown;  // nothing drawn where the icon should be
    for (const auto& c : candidates) {
        long long d = Distance(seen, RenderIcon(c.id, r.right - r.left, r.bottom - r.top, background));
        if (bestDistance < 0 || d < bestDistance) { bestDistance = d; best = c.kind; }
    }
    return best;
}

}  // namespace

const char* ToString(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::None: return "none";
        case BoxIcon::Critical: return "critical";
        case BoxIcon::Warning: return "warning";
        case BoxIcon::Information: return "information";
        case BoxIcon::Unknown: return "unknown";
    }
    return "?";
}

HWND FindProcessWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, bool visibleOnly) {
    FindArgs a{pid, cls, caption, visibleOnly, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
    return a.found;
}

HWND WaitForProcessWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindProcessWindow(pid, cls, caption, true)) != nullptr; }, timeoutMs);
    return found;
}

bool HasMessageBox(DWORD pid) { return FindProcessWindow(pid, L"#32770", kMessageBoxCaption, false) != nullptr; }

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView v;
    v.box = box;
    wchar_t text[8192] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 8192);
    v.text = text;
    v.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND c : Children(box)) {
        if (!IsWindowVisible(c)) continue;
        std::wstring cls = ClassOf(c);
        LONG style = GetWindowLongW(c, GWL_STYLE);
        if (cls == L"Button") {
            int id = GetDlgCtrlID(c);
            ++v.buttonCount;
            v.hasOk |= id == IDOK;
            v.hasYes |= id == IDYES;
            v.hasNo |= id == IDNO;
            v.hasCancel |= id == IDCANCEL;
            if ((style & 0x0F) == BS_DEFPUSHBUTTON) v.defaultButton = id;
        } else if (cls == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
            // Windows uses id 20 for the icon, Wine 0x440; the style tells either.
            if (SendMessageW(c, STM_GETICON, 0, 0) != 0) v.icon = ClassifyIcon(c);
        }
    }
    return v;
}

std::optional<MessageBoxView> WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND box = WaitForProcessWindow(pid, L"#32770", kMessageBoxCaption, timeoutMs);
    if (!box) return std::nullopt;
    // The box paints just after it shows, and its icon is read from the
    // screen: read again until the icon is there (a box without one has none to wait for).
    MessageBoxView view = ReadMessageBox(box);
    const DWORD shown = GetTickCount();
    WaitUntil([&] {
        view = ReadMessageBox(box);
        return view.icon != BoxIcon::Unknown || !IsWindow(box);
    }, 10000, 30);
    if (GetTickCount() - shown > 2000) std::printf("note: the box took %lu ms to paint its icon\n", GetTickCount() - shown);
    return view;
}

bool ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

LRESULT SendRemote(HWND window, UINT msg, WPARAM wp, LPARAM lp, bool* ok) {
    DWORD_PTR result = 0;
    LRESULT r = SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG, 10000, &result);
    if (ok) *ok = r != 0;
    return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND window) {
    bool ok = false;
    LRESULT len = SendRemote(window, WM_GETTEXTLENGTH, 0, 0, &ok);
    if (!ok || len <= 0) return {};
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    LRESULT got = SendRemote(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &ok);
    if (!ok) return {};
    text.resize(static_cast<size_t>(got));
    return text;
}

std::wstring ControlText(HWND parent, int id) {
    HWND c = GetDlgItem(parent, id);
    return c ? WindowText(c) : std::wstring(L"<no control ") + std::to_wstring(id) + L">";
}

bool SetWindowTextRemote(HWND window, const std::wstring& text) {
    bool ok = false;
    SendRemote(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ok);
    return ok;
}

namespace {
GUITHREADINFO ThreadInfo(HWND anyWindowOfThread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD tid = GetWindowThreadProcessId(anyWindowOfThread, nullptr);
    if (!GetGUIThreadInfo(tid, &info)) return GUITHREADINFO{};
    return info;
}
}  // namespace

HWND FocusedControl(HWND anyWindowOfThread) { return ThreadInfo(anyWindowOfThread).hwndFocus; }

HWND CaretWindow(HWND anyWindowOfThread) { return ThreadInfo(anyWindowOfThread).hwndCaret; }

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> v;
    EnumChildWindows(parent, ChildProc, reinterpret_cast<LPARAM>(&v));
    return v;
}

namespace {
INPUT Key(WORD key, bool up) {
    INPUT one{};
    one.type = INPUT_KEYBOARD;
    one.ki.wVk = key;
    one.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // The arrows, the page keys and the Menu key are the keyboard's extended keys.
    if (key == VK_APPS || (key >= VK_PRIOR && key <= VK_DOWN)) one.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return one;
}
}  // namespace

void PressChord(HWND window, const std::vector<WORD>& keys) {
    // Keys go to the foreground window's focus: sent before the switch is
    // done, they would land in the window that had it before.
    SetForegroundWindow(window);
    HWND top = GetAncestor(window, GA_ROOT);
    WaitUntil([&] { return GetForegroundWindow() == top; }, 2000, 10);
    std::vector<INPUT> input;
    for (WORD key : keys) input.push_back(Key(key, false));
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) input.push_back(Key(*key, true));
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

void ClickAt(HWND window, POINT client, bool right) {
    ClientToScreen(window, &client);
    SetCursorPos(client.x, client.y);
    INPUT input[2]{{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
    input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

namespace {
// Spelt out: MinGW's static libraries give another GUID for it without -luuid.
const IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}  // namespace

AccessibleView ReadAccessible(HWND window) {
    AccessibleView view;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* object = nullptr;
    view.found = SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                                      reinterpret_cast<void**>(&object))) && object;
    if (view.found) {
        VARIANT self{}, role{}, state{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) view.role = role.lVal;
        if (SUCCEEDED(object->get_accState(self, &state)) && state.vt == VT_I4) view.state = state.lVal;
        BSTR name = nullptr, value = nullptr;
        if (SUCCEEDED(object->get_accName(self, &name)) && name) view.name.assign(name, SysStringLen(name));
        if (SUCCEEDED(object->get_accValue(self, &value)) && value) view.value.assign(value, SysStringLen(value));
        SysFreeString(name);
        SysFreeString(value);
        object->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return view;
}

namespace {
// The hook's callback has no room for a pointer of its own.
std::map<HWND, int> valueChanges;

void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) ++valueChanges[window];
}
}  // namespace

ValueChanges::ValueChanges(DWORD pid)
    : hook_(SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, OnValueChange, pid, 0,
                            WINEVENT_OUTOFCONTEXT)) {
    valueChanges.clear();
}

ValueChanges::~ValueChanges() {
    if (hook_) UnhookWinEvent(hook_);
}

bool ValueChanges::WaitFor(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return valueChanges[window] > 0;
    }, timeoutMs);
}

HWND ContextMenuOf(DWORD pid) { return FindProcessWindow(pid, L"#32768", nullptr, true); }

}  // namespace e2e
