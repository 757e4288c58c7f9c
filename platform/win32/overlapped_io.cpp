// Win32 completion: the system thread pool, reached with
// BindIoCompletionCallback. The pool hands its routine a Win32 error code
// (the NTSTATUS of the I/O passed through RtlNtStatusToDosError) and, for a
// status that is not success, a byte count of 0; this file turns both back
// into the NTSTATUS-style statuses of overlapped_io.h (see platform/README.md
// for the table) and takes the byte count of a pipe read that overflowed
// from the OVERLAPPED itself.
#include <windows.h>
#include <winsock2.h>

#include <cstring>

#include "platform/overlapped_io.h"

namespace {

struct Win32Request {
  OVERLAPPED overlapped;  // first: the pool hands back this address
  HANDLE event;           // kept across clears; also placed in overlapped.hEvent
};
static_assert(sizeof(Win32Request) <= sizeof(IoRequest::platformData), "platform record too large");

Win32Request& win32Part(IoRequest& request) { return *reinterpret_cast<Win32Request*>(request.platformData); }

SOCKET asSocket(IoHandle handle) { return static_cast<SOCKET>(handle); }
HANDLE asHandle(IoHandle handle) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)); }

uint32_t statusFromCompletionError(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return iostatus::kSuccess;
    case ERROR_MORE_DATA:
      return iostatus::kBufferOverflow;
    case ERROR_OPERATION_ABORTED:
      return iostatus::kCancelled;
    case ERROR_NETNAME_DELETED:  // STATUS_REMOTE_DISCONNECT, STATUS_CONNECTION_RESET
      return iostatus::kRemoteDisconnect;
    case ERROR_BROKEN_PIPE:         // STATUS_PIPE_BROKEN
    case ERROR_PIPE_NOT_CONNECTED:  // STATUS_PIPE_DISCONNECTED: the server disconnected us
      return iostatus::kPipeBroken;
    case WSAECONNRESET:
      return iostatus::kConnectionReset;
    default:
      break;
  }
  // A pool that hands over the NTSTATUS itself: keep it as it stands.
  if ((error & 0xC0000000u) != 0) return error;
  return static_cast<uint32_t>(HRESULT_FROM_WIN32(error));
}

VOID CALLBACK onIoCompleted(DWORD error, DWORD bytes, LPOVERLAPPED overlapped) {
  if (overlapped == nullptr) return;
  // IoRequest starts with platformData, which starts with the OVERLAPPED.
  IoRequest* request = reinterpret_cast<IoRequest*>(overlapped);
  if (error == ERROR_MORE_DATA) bytes = static_cast<DWORD>(overlapped->InternalHigh);
  request->routine(statusFromCompletionError(error), bytes, request);
}

}  // namespace

void initIoRequest(IoRequest& request, void* owner, bool isSend, IoCompletionRoutine routine) {
  std::memset(&request, 0, sizeof request);
  request.owner = owner;
  request.isSend = isSend;
  request.routine = routine;
}

void clearIoRequest(IoRequest& request) {
  Win32Request& part = win32Part(request);
  std::memset(&part.overlapped, 0, sizeof part.overlapped);
  part.overlapped.hEvent = part.event;
}

bool attachIoRequestEvent(IoRequest& request) {
  Win32Request& part = win32Part(request);
  if (part.event == nullptr) part.event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  part.overlapped.hEvent = part.event;
  return part.event != nullptr;
}

void releaseIoRequestEvent(IoRequest& request) {
  Win32Request& part = win32Part(request);
  if (part.event != nullptr) CloseHandle(part.event);
  part.event = nullptr;
  part.overlapped.hEvent = nullptr;
}

bool bindIoCompletion(IoHandle handle, TransportKind) {
  return BindIoCompletionCallback(asHandle(handle), onIoCompleted, 0) != FALSE;
}

// A start call's error: pending (a completion follows) or a failure status.
bool startedOrFailed(DWORD error, uint32_t& failureStatus) {
  // WSA_IO_PENDING is ERROR_IO_PENDING. A pipe message longer than the
  // buffer still completes through the pool.
  if (error == ERROR_IO_PENDING || error == ERROR_MORE_DATA) return true;
  failureStatus = statusFromCompletionError(error);
  return false;
}

bool startReceive(IoHandle handle, TransportKind kind, IoRequest& request, void* buffer, uint32_t length,
                  uint32_t& failureStatus) {
  OVERLAPPED* overlapped = &win32Part(request).overlapped;
  if (kind == TransportKind::kSocket) {
    WSABUF descriptor{length, static_cast<char*>(buffer)};
    DWORD received = 0;
    DWORD flags = 0;
    if (WSARecv(asSocket(handle), &descriptor, 1, &received, &flags, overlapped, nullptr) == 0) return true;
    return startedOrFailed(static_cast<DWORD>(WSAGetLastError()), failureStatus);
  }
  if (ReadFile(asHandle(handle), buffer, length, nullptr, overlapped)) return true;
  return startedOrFailed(GetLastError(), failureStatus);
}

bool startSend(IoHandle handle, TransportKind kind, IoRequest& request, const void* data, uint32_t length,
               uint32_t& failureStatus) {
  OVERLAPPED* overlapped = &win32Part(request).overlapped;
  if (kind == TransportKind::kSocket) {
    WSABUF descriptor{length, static_cast<char*>(const_cast<void*>(data))};
    DWORD sent = 0;
    if (WSASend(asSocket(handle), &descriptor, 1, &sent, 0, overlapped, nullptr) == 0) return true;
    return startedOrFailed(static_cast<DWORD>(WSAGetLastError()), failureStatus);
  }
  if (WriteFile(asHandle(handle), data, length, nullptr, overlapped)) return true;
  return startedOrFailed(GetLastError(), failureStatus);
}

void shutdownSocketAndCancelIo(IoHandle handle) {
  shutdown(asSocket(handle), SD_BOTH);
  CancelIo(asHandle(handle));
}

void closeSocketHandle(IoHandle handle) { closesocket(asSocket(handle)); }

void closePipeHandle(IoHandle handle) { CloseHandle(asHandle(handle)); }

bool setSocketNoDelay(IoHandle handle) {
  const BOOL on = TRUE;
  return setsockopt(asSocket(handle), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on) == 0;
}
