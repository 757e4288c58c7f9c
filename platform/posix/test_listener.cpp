#include "platform/test_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/pipe_path.h"

struct TestListener {
  int fd;
  std::string socketPath;  // removed on close
};

struct TestConnection {
  int fd;
};

namespace {

bool waitReadable(int fd, uint32_t timeoutMilliseconds) {
  pollfd waiting{fd, POLLIN, 0};
  int ready;
  do {
    ready = poll(&waiting, 1, static_cast<int>(timeoutMilliseconds));
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

TestListener* listenOn(int fd, const sockaddr* address, socklen_t length, std::string socketPath) {
  if (bind(fd, address, length) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return nullptr;
  }
  return new TestListener{fd, std::move(socketPath)};
}

}  // namespace

TestListener* listenTcpLoopback(IpVersion version, uint16_t& port) {
  const bool v6 = version == IpVersion::kIpv6;
  const int fd = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  sockaddr_storage storage{};
  socklen_t length;
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
  TestListener* listener = listenOn(fd, reinterpret_cast<sockaddr*>(&storage), length, std::string());
  if (listener == nullptr) return nullptr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
  port = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                  : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
  return listener;
}

TestListener* listenLocalPipe(const std::string& pipePath) {
  const std::string endpoint = localPipeEndpoint(pipePath);
  sockaddr_un address{};
  if (endpoint.empty() || endpoint.size() >= sizeof address.sun_path) return nullptr;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, endpoint.c_str(), endpoint.size() + 1);
  unlink(endpoint.c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  return listenOn(fd, reinterpret_cast<sockaddr*>(&address), sizeof address, endpoint);
}

TestConnection* acceptTestConnection(TestListener* listener, uint32_t timeoutMilliseconds) {
  if (listener == nullptr || !waitReadable(listener->fd, timeoutMilliseconds)) return nullptr;
  const int fd = accept4(listener->fd, nullptr, nullptr, SOCK_CLOEXEC);
  return fd < 0 ? nullptr : new TestConnection{fd};
}

void closeTestListener(TestListener* listener) {
  if (listener == nullptr) return;
  close(listener->fd);
  if (!listener->socketPath.empty()) unlink(listener->socketPath.c_str());
  delete listener;
}

long readTestConnection(TestConnection* connection, void* buffer, size_t length, uint32_t timeoutMilliseconds) {
  if (connection == nullptr || !waitReadable(connection->fd, timeoutMilliseconds)) return -1;
  ssize_t received;
  do {
    received = recv(connection->fd, buffer, length, 0);
  } while (received < 0 && errno == EINTR);
  return received < 0 ? -1 : static_cast<long>(received);
}

bool writeTestConnection(TestConnection* connection, const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (length > 0) {
    const ssize_t sent = send(connection->fd, bytes, length, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes += sent;
    length -= static_cast<size_t>(sent);
  }
  return true;
}

void closeTestConnection(TestConnection* connection) {
  if (connection == nullptr) return;
  close(connection->fd);
  delete connection;
}
