#include "platform/stream_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/pipe_path.h"
#include "platform/posix/stream_native.h"

struct StreamListener::Impl {
  int fd = -1;
  int wakeRead = -1;  // a byte written to wakeWrite ends a blocked poll
  int wakeWrite = -1;
  bool tcp = false;
  uint16_t port = 0;
  std::string socketFile;  // the Unix-domain socket file we created, removed at the end
  std::atomic<bool> stopped{false};

  ~Impl() {
    for (int d : {fd, wakeRead, wakeWrite}) {
      if (d >= 0) close(d);
    }
    if (!socketFile.empty()) unlink(socketFile.c_str());
  }
};

namespace {

void setError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

bool makeWakePipe(StreamListener::Impl& impl) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  impl.wakeRead = ends[0];
  impl.wakeWrite = ends[1];
  return true;
}

bool bindTcp(int fd, int family, const std::string& host, uint16_t port) {
  if (family == 6) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = in6addr_any;
    if (!host.empty() && inet_pton(AF_INET6, host.c_str(), &address.sin6_addr) != 1) return false;
    int only6 = 1;
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &only6, sizeof only6);
    return bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (!host.empty() && inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return false;
  return bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

uint16_t localPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

// True when a live server accepts connections on the socket file.
bool socketFileIsServed(const sockaddr_un& address) {
  const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  const bool served = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(probe);
  return served;
}

}  // namespace

StreamListener::StreamListener(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
StreamListener::~StreamListener() = default;

std::unique_ptr<StreamListener> StreamListener::listenTcp(int family, const std::string& host, uint16_t port,
                                                          std::string* error) {
  auto impl = std::make_unique<Impl>();
  impl->tcp = true;
  impl->fd = socket(family == 6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (impl->fd < 0 || !makeWakePipe(*impl)) {
    setError(error, errnoText("cannot create a socket"));
    return nullptr;
  }
  int reuse = 1;
  setsockopt(impl->fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  const std::string where = (host.empty() ? std::string("*") : host) + ":" + std::to_string(port);
  if (!bindTcp(impl->fd, family, host, port) || listen(impl->fd, 16) != 0) {
    setError(error, errnoText("cannot listen on " + where));
    return nullptr;
  }
  impl->port = localPort(impl->fd);
  return std::make_unique<StreamListener>(std::move(impl));
}

std::unique_ptr<StreamListener> StreamListener::listenPipe(const std::string& pipePath, std::string* error) {
  const std::string endpoint = localPipeEndpoint(pipePath);
  sockaddr_un address{};
  if (endpoint.empty() || endpoint.size() >= sizeof address.sun_path) {
    setError(error, "pipe path cannot be mapped: " + pipePath);
    return nullptr;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, endpoint.c_str(), endpoint.size() + 1);
  if (socketFileIsServed(address)) {
    setError(error, "another server already serves " + endpoint);
    return nullptr;
  }
  unlink(endpoint.c_str());  // a file left by a server that ended without cleaning up
  auto impl = std::make_unique<Impl>();
  impl->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (impl->fd < 0 || !makeWakePipe(*impl)) {
    setError(error, errnoText("cannot create a socket"));
    return nullptr;
  }
  if (bind(impl->fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    setError(error, errnoText("cannot bind " + endpoint));
    return nullptr;
  }
  impl->socketFile = endpoint;
  if (listen(impl->fd, 16) != 0) {
    setError(error, errnoText("cannot listen on " + endpoint));
    return nullptr;
  }
  return std::make_unique<StreamListener>(std::move(impl));
}

std::unique_ptr<StreamConnection> StreamListener::acceptNext() {
  while (!impl_->stopped.load()) {
    pollfd watched[2] = {{impl_->fd, POLLIN, 0}, {impl_->wakeRead, POLLIN, 0}};
    if (poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return nullptr;
    }
    if (impl_->stopped.load()) break;
    if ((watched[0].revents & POLLIN) == 0) continue;
    const int client = accept4(impl_->fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == ECONNABORTED) continue;
      return nullptr;
    }
    if (impl_->tcp) streamDisableNagle(client);
    return std::make_unique<StreamConnection>(std::make_unique<StreamConnection::Impl>(client));
  }
  return nullptr;
}

void StreamListener::stop() {
  if (impl_->stopped.exchange(true)) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(impl_->wakeWrite, &byte, 1);
}

uint16_t StreamListener::boundPort() const { return impl_->port; }
