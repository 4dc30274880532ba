#pragma once
#include <windows.h>

enum class WaitEnd { Signalled, TimedOut, Quit };

// Waits for an event the way a message box waits for its answer: the
// thread's messages go on being dispatched, so its windows paint and answer.
// The event and the deadline are looked at before each message, so a handler
// must return soon: a box opened by one would run its own loop, out of this
// wait's reach. A WM_QUIT found meanwhile is posted again for the outer loop
// and ends the wait at once. deadline is a GetTickCount64() value.
WaitEnd WaitDispatchingMessages(HANDLE event, ULONGLONG deadline);
