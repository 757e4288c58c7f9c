// Waking an application that waits for simulator link messages: a window
// message (Win32 only) and an event it can wait on. The link library posts
// and signals from its I/O threads; any thread may wait. On POSIX there are
// no windows, and an event must come from createNotifyEvent.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

// PostMessageA(window, messageId, 0, 0). Nothing on POSIX.
void postNotifyMessage(HWND window, DWORD messageId);

// SetEvent.
void setNotifyEvent(HANDLE event);

// An auto-reset event, not signalled; null on failure. The caller closes it.
HANDLE createNotifyEvent();

// Waits until the event is signalled (and resets it) or the time has passed.
// True when it was signalled.
bool waitNotifyEvent(HANDLE event, uint32_t timeoutMilliseconds);

void closeNotifyEvent(HANDLE event);
