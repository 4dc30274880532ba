#pragma once
#include <optional>
#include <string>
#include <vector>

#include "win.h"

namespace e2e {

constexpr const wchar_t* kMessageBoxCaption = L"Vantary-gateway";

// Which of the three system icons a message box shows, told from its pixels.
enum class BoxIcon { None, Critical, Warning, Information, Unknown };
const char* ToString(BoxIcon icon);

struct MessageBoxView {
    HWND box = nullptr;
    std::wstring text;
    bool hasOk = false, hasYes = false, hasNo = false, hasCancel = false;
    int buttonCount = 0;
    int defaultButton = 0;  // by BS_DEFPUSHBUTTON, since DM_GETDEFID lies under Wine
    bool topmost = false;   // what MB_SYSTEMMODAL gives the box
    BoxIcon icon = BoxIcon::None;
};

// A top-level window of that process with that class and caption (either may
// be null to match any).
HWND FindProcessWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, bool visibleOnly);
HWND WaitForProcessWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, DWORD timeoutMs);

// The process's message box with the program's caption, once it is visible.
std::optional<MessageBoxView> WaitForMessageBox(DWORD pid, DWORD timeoutMs);
bool HasMessageBox(DWORD pid);  // visible or not yet visible
MessageBoxView ReadMessageBox(HWND box);

bool ClickButton(HWND dialog, int id);
// Waits for the window to be destroyed or hidden.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

std::wstring WindowText(HWND window);
std::wstring ControlText(HWND parent, int id);
bool SetWindowTextRemote(HWND window, const std::wstring& text);
LRESULT SendRemote(HWND window, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr);

// The control that has the keyboard focus in the window's thread, and the
// window that has the thread's system caret.
HWND FocusedControl(HWND anyWindowOfThread);
HWND CaretWindow(HWND anyWindowOfThread);

// Every descendant window, in z-order.
std::vector<HWND> Children(HWND parent);

// Keys as the keyboard gives them (the state of Shift and Ctrl included), to
// the window brought to the front: each pressed in turn, then all let go.
void PressChord(HWND window, const std::vector<WORD>& keys);
// A click of the right or left button at a point of the window's client area.
void ClickAt(HWND window, POINT client, bool right);

// What assistive technology reads of a window through oleacc, from another process.
struct AccessibleView {
    bool found = false;
    long role = 0;
    long state = 0;
    std::wstring name;
    std::wstring value;
};
AccessibleView ReadAccessible(HWND window);

// Hears, as a screen reader does, that the text of a window of the process
// changed (EVENT_OBJECT_VALUECHANGE). One at a time.
class ValueChanges {
public:
    explicit ValueChanges(DWORD pid);
    ~ValueChanges();
    ValueChanges(const ValueChanges&) = delete;
    ValueChanges& operator=(const ValueChanges&) = delete;
    // The events come as messages of this thread: true once `window` has had one.
    bool WaitFor(HWND window, DWORD timeoutMs);

private:
    HWINEVENTHOOK hook_;
};

// The visible context menu ("#32768") of the process, or null.
HWND ContextMenuOf(DWORD pid);

}  // namespace e2e
