#include "platform/notify_event.h"

void postNotifyMessage(HWND window, DWORD messageId) { PostMessageA(window, messageId, 0, 0); }

void setNotifyEvent(HANDLE event) { SetEvent(event); }

HANDLE createNotifyEvent() { return CreateEventA(nullptr, FALSE, FALSE, nullptr); }

bool waitNotifyEvent(HANDLE event, uint32_t timeoutMilliseconds) {
  return WaitForSingleObject(event, timeoutMilliseconds) == WAIT_OBJECT_0;
}

void closeNotifyEvent(HANDLE event) {
  if (event != nullptr) CloseHandle(event);
}
