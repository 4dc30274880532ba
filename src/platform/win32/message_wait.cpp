#include "platform/win32/message_wait.h"

WaitEnd WaitDispatchingMessages(HANDLE event, ULONGLONG deadline) {
    for (;;) {
        // Before every message: a steady stream of them must not hold the
        // reply, nor the deadline.
        if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0) return WaitEnd::Signalled;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return WaitEnd::TimedOut;
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return WaitEnd::Quit;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        // MWMO_INPUTAVAILABLE: messages that a peek saw but left are no reason to sleep.
        MsgWaitForMultipleObjectsEx(1, &event, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}
