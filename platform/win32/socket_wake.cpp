#include "platform/socket_wake.h"

#include <winsock2.h>

#include <new>

// An auto-reset event for the signal, and one that the socket's read
// readiness sets for the length of a wait.
struct SocketWake {
  HANDLE signal;
  WSAEVENT readable;
};

SocketWake* createSocketWake() {
  const HANDLE signal = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const WSAEVENT readable = WSACreateEvent();
  SocketWake* wake = nullptr;
  if (signal != nullptr && readable != WSA_INVALID_EVENT) wake = new (std::nothrow) SocketWake{signal, readable};
  if (wake != nullptr) return wake;
  if (signal != nullptr) CloseHandle(signal);
  if (readable != WSA_INVALID_EVENT) WSACloseEvent(readable);
  return nullptr;
}

void closeSocketWake(SocketWake* wake) {
  if (wake == nullptr) return;
  CloseHandle(wake->signal);
  WSACloseEvent(wake->readable);
  delete wake;
}

void signalSocketWake(SocketWake* wake) { SetEvent(wake->signal); }

SocketWaitEnd waitTcpReadableOrWoken(TcpSocket socket, SocketWake* wake, int timeoutMilliseconds) {
  const SOCKET handle = static_cast<SOCKET>(socket);
  // Selecting events records FD_READ at once when data is already there.
  // It also makes the socket non-blocking, which is undone before anyone
  // else uses it.
  if (WSAEventSelect(handle, wake->readable, FD_READ | FD_CLOSE) == SOCKET_ERROR) return SocketWaitEnd::readable;
  const HANDLE events[2] = {wake->signal, wake->readable};
  const DWORD ended = WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(timeoutMilliseconds));
  WSAEventSelect(handle, nullptr, 0);
  u_long blocking = 0;
  ioctlsocket(handle, FIONBIO, &blocking);
  WSAResetEvent(wake->readable);
  if (ended == WAIT_OBJECT_0) return SocketWaitEnd::woken;
  if (ended == WAIT_OBJECT_0 + 1) return SocketWaitEnd::readable;
  return SocketWaitEnd::timedOut;
}
