// The Win32 backend's insides of StreamConnection: an overlapped socket or
// named-pipe handle, waited on together with a stop event so that another
// thread can end a blocked read or write. Shared by stream_connection.cpp and
// stream_server.cpp of this backend only.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <atomic>

#include "platform/stream_connection.h"

struct StreamConnection::Impl {
  Impl(HANDLE transport, bool socketTransport);
  ~Impl();
  HANDLE handle;  // a SOCKET cast to HANDLE when isSocket
  bool isSocket;
  bool isServerPipe = false;  // the server end of a named pipe
  HANDLE stopEvent;           // manual reset, set by shutdownBoth
  HANDLE readEvent;
  HANDLE writeEvent;
  std::atomic<bool> shutDown{false};
  std::atomic<bool> disconnected{false};
};

std::unique_ptr<StreamConnection> streamFromSocket(SOCKET s);
std::unique_ptr<StreamConnection> streamFromPipe(HANDLE pipe, bool serverEnd);

// Waits for the overlapped operation ov on handle to finish, or for the stop
// event; on stop the operation is cancelled and false is returned. *bytes gets
// the transferred count; *status the system error (0 on success).
bool streamFinishOverlapped(StreamConnection::Impl& impl, OVERLAPPED& ov, DWORD* bytes, DWORD* status);
