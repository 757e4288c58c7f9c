#include "platform/stream_connection.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/pipe_path.h"
#include "platform/posix/stream_native.h"

namespace {

void setError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

std::unique_ptr<StreamConnection> wrap(int fd) {
  return std::make_unique<StreamConnection>(std::make_unique<StreamConnection::Impl>(fd));
}

}  // namespace

void streamDisableNagle(int fd) {
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

StreamConnection::StreamConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

StreamConnection::~StreamConnection() {
  if (impl_ && impl_->fd >= 0) close(impl_->fd);
}

std::unique_ptr<StreamConnection> StreamConnection::connectTcp(int family, const std::string& host, uint16_t port,
                                                               std::string* error) {
  addrinfo hints{};
  hints.ai_family = family == 6 ? AF_INET6 : AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const int resolved = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
  if (resolved != 0 || found == nullptr) {
    setError(error, std::string("cannot resolve ") + host + ": " + gai_strerror(resolved));
    return nullptr;
  }
  const int fd = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
  const bool connected = fd >= 0 && connect(fd, found->ai_addr, found->ai_addrlen) == 0;
  const int savedErrno = errno;
  freeaddrinfo(found);
  if (!connected) {
    if (fd >= 0) close(fd);
    setError(error, std::string("cannot connect to ") + host + ":" + service + ": " + std::strerror(savedErrno));
    return nullptr;
  }
  streamDisableNagle(fd);
  return wrap(fd);
}

std::unique_ptr<StreamConnection> StreamConnection::connectPipe(const std::string& pipePath, std::string* error) {
  const std::string endpoint = localPipeEndpoint(pipePath);
  sockaddr_un address{};
  if (endpoint.empty() || endpoint.size() >= sizeof address.sun_path) {
    setError(error, "pipe path cannot be mapped: " + pipePath);
    return nullptr;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, endpoint.c_str(), endpoint.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    const int savedErrno = errno;
    if (fd >= 0) close(fd);
    setError(error, "cannot connect to " + endpoint + ": " + std::strerror(savedErrno));
    return nullptr;
  }
  return wrap(fd);
}

long StreamConnection::readSome(void* buffer, size_t size) {
  for (;;) {
    if (impl_->shutDown.load()) return -1;
    const ssize_t got = recv(impl_->fd, buffer, size, 0);
    if (got >= 0) return impl_->shutDown.load() ? -1 : static_cast<long>(got);
    if (errno != EINTR) return -1;
  }
}

bool StreamConnection::writeAll(const void* data, size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    if (impl_->shutDown.load()) return false;
    const ssize_t sent = send(impl_->fd, next, size, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

void StreamConnection::shutdownBoth() {
  impl_->shutDown.store(true);
  shutdown(impl_->fd, SHUT_RDWR);  // wakes a recv or send blocked on another thread
}
