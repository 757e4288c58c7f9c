#include "platform/stream_connection.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/stream_native.h"

StreamConnection::Impl::Impl(HANDLE transport, bool socketTransport)
    : handle(transport),
      isSocket(socketTransport),
      stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      readEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      writeEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

StreamConnection::Impl::~Impl() {
  if (isSocket) {
    closesocket(reinterpret_cast<SOCKET>(handle));
  } else {
    if (isServerPipe && !disconnected.exchange(true)) DisconnectNamedPipe(handle);
    CloseHandle(handle);
  }
  for (HANDLE event : {stopEvent, readEvent, writeEvent}) {
    if (event != nullptr) CloseHandle(event);
  }
}

std::unique_ptr<StreamConnection> streamFromSocket(SOCKET s) {
  return std::make_unique<StreamConnection>(
      std::make_unique<StreamConnection::Impl>(reinterpret_cast<HANDLE>(s), true));
}

std::unique_ptr<StreamConnection> streamFromPipe(HANDLE pipe, bool serverEnd) {
  auto impl = std::make_unique<StreamConnection::Impl>(pipe, false);
  impl->isServerPipe = serverEnd;
  return std::make_unique<StreamConnection>(std::move(impl));
}

bool streamFinishOverlapped(StreamConnection::Impl& impl, OVERLAPPED& ov, DWORD* bytes, DWORD* status) {
  HANDLE waits[2] = {ov.hEvent, impl.stopEvent};
  const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (woke != WAIT_OBJECT_0) {
    CancelIoEx(impl.handle, &ov);
    DWORD ignored = 0;
    GetOverlappedResult(impl.handle, &ov, &ignored, TRUE);  // the buffer must outlive the I/O
    *status = ERROR_OPERATION_ABORTED;
    return false;
  }
  *status = 0;
  if (impl.isSocket) {
    DWORD flags = 0;
    if (!WSAGetOverlappedResult(reinterpret_cast<SOCKET>(impl.handle), &ov, bytes, FALSE, &flags)) {
      *status = static_cast<DWORD>(WSAGetLastError());
      return false;
    }
    return true;
  }
  if (!GetOverlappedResult(impl.handle, &ov, bytes, FALSE)) {
    *status = GetLastError();
    return false;
  }
  return true;
}

namespace {

void setError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

// Starts one overlapped read or write; false when it failed at once.
bool startIo(StreamConnection::Impl& impl, bool reading, void* buffer, DWORD size, OVERLAPPED& ov) {
  if (impl.isSocket) {
    WSABUF piece{size, static_cast<char*>(buffer)};
    DWORD flags = 0;
    DWORD done = 0;
    const SOCKET s = reinterpret_cast<SOCKET>(impl.handle);
    const int result =
        reading ? WSARecv(s, &piece, 1, &done, &flags, &ov, nullptr) : WSASend(s, &piece, 1, &done, 0, &ov, nullptr);
    return result == 0 || WSAGetLastError() == WSA_IO_PENDING;
  }
  DWORD done = 0;
  const BOOL ok =
      reading ? ReadFile(impl.handle, buffer, size, &done, &ov) : WriteFile(impl.handle, buffer, size, &done, &ov);
  return ok || GetLastError() == ERROR_IO_PENDING;
}

// One overlapped transfer, waited for. Returns the byte count or -1.
long transferOnce(StreamConnection::Impl& impl, bool reading, void* buffer, size_t size) {
  if (impl.shutDown.load()) return -1;
  OVERLAPPED ov{};
  ov.hEvent = reading ? impl.readEvent : impl.writeEvent;
  ResetEvent(ov.hEvent);
  const DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
  if (!startIo(impl, reading, buffer, chunk, ov)) {
    return (!impl.isSocket && reading && GetLastError() == ERROR_BROKEN_PIPE) ? 0 : -1;
  }
  DWORD bytes = 0;
  DWORD status = 0;
  if (!streamFinishOverlapped(impl, ov, &bytes, &status)) {
    return (!impl.isSocket && reading && status == ERROR_BROKEN_PIPE) ? 0 : -1;
  }
  return impl.shutDown.load() ? -1 : static_cast<long>(bytes);
}

}  // namespace

StreamConnection::StreamConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
StreamConnection::~StreamConnection() = default;

std::unique_ptr<StreamConnection> StreamConnection::connectTcp(int family, const std::string& host, uint16_t port,
                                                               std::string* error) {
  addrinfo hints{};
  hints.ai_family = family == 6 ? AF_INET6 : AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    setError(error, "cannot resolve " + host);
    return nullptr;
  }
  const SOCKET s =
      WSASocketW(found->ai_family, found->ai_socktype, found->ai_protocol, nullptr, 0, WSA_FLAG_OVERLAPPED);
  const bool connected = s != INVALID_SOCKET && connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0;
  const int code = WSAGetLastError();
  freeaddrinfo(found);
  if (!connected) {
    if (s != INVALID_SOCKET) closesocket(s);
    setError(error, "cannot connect to " + host + ":" + service + " (error " + std::to_string(code) + ")");
    return nullptr;
  }
  BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return streamFromSocket(s);
}

std::unique_ptr<StreamConnection> StreamConnection::connectPipe(const std::string& pipePath, std::string* error) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    const HANDLE pipe = CreateFileA(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return streamFromPipe(pipe, false);
    const DWORD code = GetLastError();
    if (code != ERROR_PIPE_BUSY || !WaitNamedPipeA(pipePath.c_str(), 5000)) {
      setError(error, "cannot open " + pipePath + " (error " + std::to_string(code) + ")");
      return nullptr;
    }
  }
  setError(error, "pipe stays busy: " + pipePath);
  return nullptr;
}

long StreamConnection::readSome(void* buffer, size_t size) {
  for (;;) {
    const long got = transferOnce(*impl_, true, buffer, size);
    // A zero-byte pipe read is not an end of stream (that is a broken pipe).
    if (got != 0 || impl_->isSocket || size == 0) return got;
  }
}

bool StreamConnection::writeAll(const void* data, size_t size) {
  char* next = const_cast<char*>(static_cast<const char*>(data));
  while (size > 0) {
    const long sent = transferOnce(*impl_, false, next, size);
    if (sent <= 0) return false;
    next += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

void StreamConnection::shutdownBoth() {
  impl_->shutDown.store(true);
  SetEvent(impl_->stopEvent);
  if (impl_->isSocket) shutdown(reinterpret_cast<SOCKET>(impl_->handle), SD_BOTH);
  // Disconnecting the server end is what ends the client's pending reads.
  if (impl_->isServerPipe && !impl_->disconnected.exchange(true)) DisconnectNamedPipe(impl_->handle);
}
