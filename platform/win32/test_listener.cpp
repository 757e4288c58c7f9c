#include "platform/test_listener.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

struct TestListener {
  bool pipe;
  SOCKET socket;
  std::string pipePath;
  HANDLE instance;  // the pipe instance that waits for the next client
};

struct TestConnection {
  bool pipe;
  SOCKET socket;
  HANDLE pipeHandle;
  HANDLE event;  // for the pipe's overlapped reads and writes
};

namespace {

HANDLE createPipeInstance(const std::string& pipePath) {
  return CreateNamedPipeA(pipePath.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                          PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0,
                          nullptr);
}

bool waitSocketReadable(SOCKET socket, uint32_t timeoutMilliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket, &readable);
  timeval timeout{static_cast<long>(timeoutMilliseconds / 1000), static_cast<long>(timeoutMilliseconds % 1000) * 1000};
  return select(0, &readable, nullptr, nullptr, &timeout) > 0;
}

// Waits for an overlapped operation on the pipe; on time-out cancels it and
// still takes what it finished with. True with the byte count on success.
bool finishPipeOperation(HANDLE pipe, OVERLAPPED& overlapped, uint32_t timeoutMilliseconds, DWORD& bytes) {
  if (WaitForSingleObject(overlapped.hEvent, timeoutMilliseconds) != WAIT_OBJECT_0) CancelIo(pipe);
  return GetOverlappedResult(pipe, &overlapped, &bytes, TRUE) != FALSE;
}

bool isPipeEnd(DWORD error) {
  return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_NO_DATA;
}

TestConnection* acceptPipeClient(TestListener* listener, uint32_t timeoutMilliseconds) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool connected = ConnectNamedPipe(listener->instance, &overlapped) != FALSE;
  if (!connected) {
    const DWORD error = GetLastError();
    DWORD bytes = 0;
    // ERROR_NO_DATA: a client came and has closed its end already; reading
    // the connection then reports that close.
    connected =
        error == ERROR_PIPE_CONNECTED || error == ERROR_NO_DATA ||
        (error == ERROR_IO_PENDING && finishPipeOperation(listener->instance, overlapped, timeoutMilliseconds, bytes));
  }
  CloseHandle(overlapped.hEvent);
  if (!connected) return nullptr;
  auto* connection =
      new TestConnection{true, INVALID_SOCKET, listener->instance, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  listener->instance = createPipeInstance(listener->pipePath);
  return connection;
}

long readPipe(TestConnection* connection, void* buffer, size_t length, uint32_t timeoutMilliseconds) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = connection->event;
  ResetEvent(connection->event);
  DWORD bytes = 0;
  if (!ReadFile(connection->pipeHandle, buffer, static_cast<DWORD>(length), nullptr, &overlapped)) {
    const DWORD error = GetLastError();
    if (isPipeEnd(error)) return 0;
    if (error != ERROR_IO_PENDING) return -1;
  }
  if (!finishPipeOperation(connection->pipeHandle, overlapped, timeoutMilliseconds, bytes)) {
    return isPipeEnd(GetLastError()) ? 0 : -1;
  }
  return static_cast<long>(bytes);
}

bool writePipe(TestConnection* connection, const uint8_t* bytes, size_t length) {
  while (length > 0) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = connection->event;
    ResetEvent(connection->event);
    DWORD written = 0;
    if (!WriteFile(connection->pipeHandle, bytes, static_cast<DWORD>(length), nullptr, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
      return false;
    }
    if (!GetOverlappedResult(connection->pipeHandle, &overlapped, &written, TRUE) || written == 0) return false;
    bytes += written;
    length -= written;
  }
  return true;
}

}  // namespace

TestListener* listenTcpLoopback(IpVersion version, uint16_t& port) {
  const bool v6 = version == IpVersion::kIpv6;
  const SOCKET listening = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listening == INVALID_SOCKET) return nullptr;
  sockaddr_storage storage{};
  int length;
  if (v6) {
    auto* address = reinterpret_cast<sockaddr_in6*>(&storage);
    address->sin6_family = AF_INET6;
    address->sin6_addr = in6addr_loopback;
    length = sizeof *address;
  } else {
    auto* address = reinterpret_cast<sockaddr_in*>(&storage);
    address->sin_family = AF_INET;
    address->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    length = sizeof *address;
  }
  if (bind(listening, reinterpret_cast<sockaddr*>(&storage), length) != 0 || listen(listening, 8) != 0) {
    closesocket(listening);
    return nullptr;
  }
  getsockname(listening, reinterpret_cast<sockaddr*>(&storage), &length);
  port = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                  : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
  return new TestListener{false, listening, std::string(), nullptr};
}

TestListener* listenLocalPipe(const std::string& pipePath) {
  HANDLE instance = createPipeInstance(pipePath);
  if (instance == INVALID_HANDLE_VALUE) return nullptr;
  return new TestListener{true, INVALID_SOCKET, pipePath, instance};
}

TestConnection* acceptTestConnection(TestListener* listener, uint32_t timeoutMilliseconds) {
  if (listener == nullptr) return nullptr;
  if (listener->pipe) return acceptPipeClient(listener, timeoutMilliseconds);
  if (!waitSocketReadable(listener->socket, timeoutMilliseconds)) return nullptr;
  const SOCKET accepted = accept(listener->socket, nullptr, nullptr);
  if (accepted == INVALID_SOCKET) return nullptr;
  return new TestConnection{false, accepted, INVALID_HANDLE_VALUE, nullptr};
}

void closeTestListener(TestListener* listener) {
  if (listener == nullptr) return;
  if (listener->pipe) {
    if (listener->instance != INVALID_HANDLE_VALUE) CloseHandle(listener->instance);
  } else {
    closesocket(listener->socket);
  }
  delete listener;
}

long readTestConnection(TestConnection* connection, void* buffer, size_t length, uint32_t timeoutMilliseconds) {
  if (connection == nullptr) return -1;
  if (connection->pipe) return readPipe(connection, buffer, length, timeoutMilliseconds);
  if (!waitSocketReadable(connection->socket, timeoutMilliseconds)) return -1;
  const int received = recv(connection->socket, static_cast<char*>(buffer), static_cast<int>(length), 0);
  return received < 0 ? -1 : received;
}

bool writeTestConnection(TestConnection* connection, const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (connection->pipe) return writePipe(connection, bytes, length);
  while (length > 0) {
    const int sent = send(connection->socket, reinterpret_cast<const char*>(bytes), static_cast<int>(length), 0);
    if (sent <= 0) return false;
    bytes += sent;
    length -= static_cast<size_t>(sent);
  }
  return true;
}

void closeTestConnection(TestConnection* connection) {
  if (connection == nullptr) return;
  if (connection->pipe) {
    // Closing without DisconnectNamedPipe lets the client read what is
    // still in the pipe before it sees the broken pipe.
    CloseHandle(connection->pipeHandle);
    CloseHandle(connection->event);
  } else {
    closesocket(connection->socket);
  }
  delete connection;
}
