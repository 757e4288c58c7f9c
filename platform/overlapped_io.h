// Overlapped I/O on the simulator link's transports (a TCP socket or a named
// pipe), completed on a process-wide pool of I/O threads. Win32: ReadFile,
// WriteFile, WSARecv and WSASend bound with BindIoCompletionCallback. POSIX:
// our own completion layer (an epoll poller and worker threads). On both, a
// completion is never delivered inside the call that started the I/O, even
// when the data is already there: one code path handles immediate and delayed
// completion alike. Any thread may start I/O; completions run on pool threads.
#pragma once

#include <cstdint>

// A transport handle: SOCKET or HANDLE on Win32, an entry of the completion
// layer's handle table on POSIX. All ones when there is none.
using IoHandle = uint64_t;
constexpr IoHandle kInvalidIoHandle = ~static_cast<IoHandle>(0);

enum class TransportKind : uint32_t { kSocket = 0, kNamedPipe = 1 };

// Completion statuses, as NTSTATUS values on every platform. The Win32
// backend maps the error codes the thread pool reports back to these.
namespace iostatus {
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kBufferOverflow = 0x80000005u;    // pipe message longer than the buffer
constexpr uint32_t kUnsuccessful = 0xC0000001u;      // a failure with no closer match
constexpr uint32_t kCancelled = 0xC0000120u;         // the handle was closed or the I/O cancelled
constexpr uint32_t kRemoteDisconnect = 0xC000013Cu;  // the peer went away
constexpr uint32_t kPipeBroken = 0xC000014Bu;        // the pipe's other end was closed
constexpr uint32_t kConnectionReset = 0xC000020Du;   // the peer reset the connection
}  // namespace iostatus

struct IoRequest;

// Called on a pool thread once per started operation: the status, the bytes
// moved (0 unless the status is success or buffer overflow) and the request.
using IoCompletionRoutine = void (*)(uint32_t status, uint32_t bytes, IoRequest* request);

// One operation slot (one read or one write outstanding at a time). Owned by
// the caller, which keeps it alive until the completion has been delivered.
struct IoRequest {
  // The platform's own record (OVERLAPPED and an event on Win32); first, so
  // that the platform can find the request from it.
  alignas(8) unsigned char platformData[48];
  IoCompletionRoutine routine;
  void* owner;
  bool isSend;
};

// Clears the whole request (no event) and sets owner, direction and routine.
void initIoRequest(IoRequest& request, void* owner, bool isSend, IoCompletionRoutine routine);

// Clears the platform record for the next operation; an attached event stays.
void clearIoRequest(IoRequest& request);

// Pipes: gives the request a manual-reset, non-signalled event that the
// system signals when an operation completes (Win32; nothing to do on POSIX).
// False when it cannot be created (see lastSystemErrorCode).
bool attachIoRequestEvent(IoRequest& request);
void releaseIoRequestEvent(IoRequest& request);

// Routes the handle's completions to the pool. False on failure.
bool bindIoCompletion(IoHandle handle, TransportKind kind);

// Start a read into / a write from the caller's buffer, which must stay valid
// until the completion. True when a completion will follow (pending or done
// at once); false when the operation failed at once and none will follow,
// with the failure as a completion status in failureStatus.
bool startReceive(IoHandle handle, TransportKind kind, IoRequest& request, void* buffer, uint32_t length,
                  uint32_t& failureStatus);
bool startSend(IoHandle handle, TransportKind kind, IoRequest& request, const void* data, uint32_t length,
               uint32_t& failureStatus);

// Sockets: shut both directions down and cancel the I/O in progress.
void shutdownSocketAndCancelIo(IoHandle handle);

// Close the transport. Operations still outstanding complete as cancelled
// (or with the error the system reports for a closed handle).
void closeSocketHandle(IoHandle handle);
void closePipeHandle(IoHandle handle);

// Sockets: switch the Nagle algorithm off (TCP_NODELAY = 1).
bool setSocketNoDelay(IoHandle handle);
