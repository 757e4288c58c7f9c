#include "platform/stream_server.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>

#include "platform/win32/stream_native.h"

struct StreamListener::Impl {
  ~Impl() {
    if (listenSocket != INVALID_SOCKET) closesocket(listenSocket);
    if (pendingPipe != INVALID_HANDLE_VALUE) CloseHandle(pendingPipe);
    for (HANDLE event : {stopEvent, waitEvent}) {
      if (event != nullptr) CloseHandle(event);
    }
  }
  SOCKET listenSocket = INVALID_SOCKET;
  std::string pipePath;
  HANDLE pendingPipe = INVALID_HANDLE_VALUE;  // the instance the next client will meet
  HANDLE stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE waitEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // accept or connect readiness
  uint16_t port = 0;
  std::atomic<bool> stopped{false};
};

namespace {

void setError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

bool bindTcp(SOCKET s, int family, const std::string& host, uint16_t port) {
  if (family == 6) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = in6addr_any;
    if (!host.empty() && inet_pton(AF_INET6, host.c_str(), &address.sin6_addr) != 1) return false;
    DWORD only6 = 1;
    setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&only6), sizeof only6);
    return bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (!host.empty() && inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return false;
  return bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

uint16_t localPort(SOCKET s) {
  sockaddr_storage address{};
  int length = sizeof address;
  if (getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

HANDLE createPipeInstance(const std::string& path, bool first) {
  const DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
  return CreateNamedPipeA(path.c_str(), openMode, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                          PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
}

// Waits for the wait event or the stop event; true when the wait event fired.
bool waitUnlessStopped(StreamListener::Impl& impl) {
  HANDLE waits[2] = {impl.waitEvent, impl.stopEvent};
  return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 && !impl.stopped.load();
}

std::unique_ptr<StreamConnection> acceptSocket(StreamListener::Impl& impl) {
  while (!impl.stopped.load()) {
    const SOCKET client = accept(impl.listenSocket, nullptr, nullptr);
    if (client != INVALID_SOCKET) {
      WSAEventSelect(client, nullptr, 0);  // the accepted socket inherits the listener's selection
      u_long nonBlocking = 0;
      ioctlsocket(client, FIONBIO, &nonBlocking);
      BOOL on = TRUE;
      setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
      return streamFromSocket(client);
    }
    const int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK && code != WSAECONNRESET) return nullptr;
    if (!waitUnlessStopped(impl)) return nullptr;
    WSANETWORKEVENTS happened{};
    WSAEnumNetworkEvents(impl.listenSocket, impl.waitEvent, &happened);  // also resets the event
  }
  return nullptr;
}

// Waits until a client opens the pending instance. True when connected.
bool connectPendingPipe(StreamListener::Impl& impl) {
  OVERLAPPED ov{};
  ov.hEvent = impl.waitEvent;
  ResetEvent(impl.waitEvent);
  if (ConnectNamedPipe(impl.pendingPipe, &ov)) return true;
  const DWORD code = GetLastError();
  if (code == ERROR_PIPE_CONNECTED) return true;
  if (code != ERROR_IO_PENDING) return false;
  DWORD ignored = 0;
  if (!waitUnlessStopped(impl)) {
    CancelIoEx(impl.pendingPipe, &ov);
    GetOverlappedResult(impl.pendingPipe, &ov, &ignored, TRUE);
    return false;
  }
  return GetOverlappedResult(impl.pendingPipe, &ov, &ignored, FALSE) != FALSE;
}

std::unique_ptr<StreamConnection> acceptPipe(StreamListener::Impl& impl) {
  while (!impl.stopped.load()) {
    if (impl.pendingPipe == INVALID_HANDLE_VALUE) impl.pendingPipe = createPipeInstance(impl.pipePath, false);
    if (impl.pendingPipe == INVALID_HANDLE_VALUE) return nullptr;
    if (connectPendingPipe(impl)) {
      const HANDLE connected = impl.pendingPipe;
      // The next client finds an instance ready while this one is served.
      impl.pendingPipe = createPipeInstance(impl.pipePath, false);
      return streamFromPipe(connected, true);
    }
    if (impl.stopped.load()) return nullptr;
    // A client that came and went at once: start over with a fresh instance.
    CloseHandle(impl.pendingPipe);
    impl.pendingPipe = INVALID_HANDLE_VALUE;
  }
  return nullptr;
}

}  // namespace

StreamListener::StreamListener(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
StreamListener::~StreamListener() = default;

std::unique_ptr<StreamListener> StreamListener::listenTcp(int family, const std::string& host, uint16_t port,
                                                          std::string* error) {
  auto impl = std::make_unique<Impl>();
  impl->listenSocket =
      WSASocketW(family == 6 ? AF_INET6 : AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  const std::string where = (host.empty() ? std::string("*") : host) + ":" + std::to_string(port);
  if (impl->listenSocket == INVALID_SOCKET || !bindTcp(impl->listenSocket, family, host, port) ||
      listen(impl->listenSocket, 16) != 0 || WSAEventSelect(impl->listenSocket, impl->waitEvent, FD_ACCEPT) != 0) {
    setError(error, "cannot listen on " + where + " (error " + std::to_string(WSAGetLastError()) + ")");
    return nullptr;
  }
  impl->port = localPort(impl->listenSocket);
  return std::make_unique<StreamListener>(std::move(impl));
}

std::unique_ptr<StreamListener> StreamListener::listenPipe(const std::string& pipePath, std::string* error) {
  // Another server's instance answers a wait; a free name does not exist.
  // (The first-instance flag alone is not honoured everywhere.)
  if (WaitNamedPipeA(pipePath.c_str(), 1) || GetLastError() != ERROR_FILE_NOT_FOUND) {
    setError(error, "another server already serves " + pipePath);
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->pipePath = pipePath;
  impl->pendingPipe = createPipeInstance(pipePath, true);
  if (impl->pendingPipe == INVALID_HANDLE_VALUE) {
    setError(error, "cannot serve " + pipePath + " (error " + std::to_string(GetLastError()) + ")");
    return nullptr;
  }
  return std::make_unique<StreamListener>(std::move(impl));
}

std::unique_ptr<StreamConnection> StreamListener::acceptNext() {
  return impl_->pipePath.empty() ? acceptSocket(*impl_) : acceptPipe(*impl_);
}

void StreamListener::stop() {
  impl_->stopped.store(true);
  SetEvent(impl_->stopEvent);
}

uint16_t StreamListener::boundPort() const { return impl_->port; }
