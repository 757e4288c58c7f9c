#include "platform/tcp_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/last_error.h"

namespace {

int descriptor(TcpSocket socket) { return static_cast<int>(socket); }

sockaddr_in ipv4SocketAddress(Ipv4Address address, uint16_t port) {
  sockaddr_in socketAddress;
  std::memset(&socketAddress, 0, sizeof socketAddress);
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_port = htons(port);
  socketAddress.sin_addr.s_addr = address;
  return socketAddress;
}

// What fits now, without blocking: bytes sent, 0 for no room, -1 on an error.
long sendWhatFits(TcpSocket socket, const void* data, size_t length) {
  const ssize_t sent = ::send(descriptor(socket), data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (sent >= 0) return static_cast<long>(sent);
  return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

}  // namespace

Ipv4Address ipv4AddressFromText(const char* text) { return inet_addr(text); }

bool resolveIpv4Host(const char* host, Ipv4Address& address) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) return false;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

TcpSocket createTcpSocket() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  return fd < 0 ? kInvalidTcpSocket : static_cast<TcpSocket>(fd);
}

bool bindTcpSocket(TcpSocket socket, Ipv4Address address, uint16_t port) {
  // Winsock binds a port whose old connections still linger in TIME_WAIT;
  // POSIX does so only with SO_REUSEADDR. Without it the program could not
  // be restarted for a minute after serving apps. It never lets two sockets
  // listen on one port, so a port in use is still refused.
  int reuse = 1;
  setsockopt(descriptor(socket), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  const sockaddr_in socketAddress = ipv4SocketAddress(address, port);
  return ::bind(descriptor(socket), reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress) == 0;
}

bool listenTcpSocket(TcpSocket socket, int backlog) { return ::listen(descriptor(socket), backlog) == 0; }

TcpSocket acceptTcpConnection(TcpSocket listening) {
  for (;;) {
    const int fd = ::accept(descriptor(listening), nullptr, nullptr);
    if (fd >= 0) return static_cast<TcpSocket>(fd);
    if (errno != EINTR) return kInvalidTcpSocket;
  }
}

bool connectTcpSocket(TcpSocket socket, Ipv4Address address, uint16_t port) {
  const sockaddr_in socketAddress = ipv4SocketAddress(address, port);
  return ::connect(descriptor(socket), reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress) == 0;
}

long receiveFromTcpSocket(TcpSocket socket, void* buffer, size_t length) {
  for (;;) {
    const ssize_t received = ::recv(descriptor(socket), buffer, length, 0);
    if (received >= 0) return static_cast<long>(received);
    if (errno != EINTR) return -1;
  }
}

long sendOnTcpSocket(TcpSocket socket, const void* data, size_t length) {
  // MSG_NOSIGNAL: a peer that has gone yields EPIPE instead of SIGPIPE.
  const ssize_t sent = ::send(descriptor(socket), data, length, MSG_NOSIGNAL);
  return sent < 0 ? -1 : static_cast<long>(sent);
}

long sendOnTcpSocketWithin(TcpSocket socket, const void* data, size_t length, int timeoutMilliseconds) {
  // Usually there is room: one call, and a wait only when there was none.
  const long sent = sendWhatFits(socket, data, length);
  if (sent != 0 || timeoutMilliseconds <= 0) return sent;
  pollfd watched{descriptor(socket), POLLOUT, 0};
  const int ready = ::poll(&watched, 1, timeoutMilliseconds);
  if (ready < 0) return errno == EINTR ? 0 : -1;
  if (ready == 0) return 0;
  // Readiness includes an error or hang-up; the send then reports it.
  return sendWhatFits(socket, data, length);
}

bool waitTcpReadable(TcpSocket socket, int timeoutMilliseconds) {
  pollfd watched{descriptor(socket), POLLIN, 0};
  return ::poll(&watched, 1, timeoutMilliseconds) > 0;
}

bool shutdownTcpReceive(TcpSocket socket) { return ::shutdown(descriptor(socket), SHUT_RD) == 0; }

bool shutdownTcpBoth(TcpSocket socket) { return ::shutdown(descriptor(socket), SHUT_RDWR) == 0; }

bool shutdownTcpSend(TcpSocket socket) { return ::shutdown(descriptor(socket), SHUT_WR) == 0; }

bool shutdownWakesBlockedReceive() { return true; }

void closeTcpSocket(TcpSocket socket) { ::close(descriptor(socket)); }

bool tcpPeerKnown(TcpSocket socket) {
  sockaddr_in peer;
  socklen_t length = sizeof peer;
  return ::getpeername(descriptor(socket), reinterpret_cast<sockaddr*>(&peer), &length) == 0;
}

uint16_t tcpPeerPort(TcpSocket socket) {
  sockaddr_in peer;
  socklen_t length = sizeof peer;
  if (::getpeername(descriptor(socket), reinterpret_cast<sockaddr*>(&peer), &length) != 0) return 0;
  return ntohs(peer.sin_port);
}

bool tcpPeerAddress(TcpSocket socket, Ipv4Address& address, uint16_t& port) {
  sockaddr_in peer;
  socklen_t length = sizeof peer;
  if (::getpeername(descriptor(socket), reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
  address = peer.sin_addr.s_addr;
  port = ntohs(peer.sin_port);
  return true;
}

uint16_t tcpLocalPort(TcpSocket socket) {
  sockaddr_in local;
  socklen_t length = sizeof local;
  if (::getsockname(descriptor(socket), reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ntohs(local.sin_port);
}

int lastTcpSocketError() { return errno; }

bool isConnectionGoneTcpFailure(int code) {
  return code == EPIPE || code == ECONNRESET || code == ECONNABORTED || code == ENOTCONN || code == ESHUTDOWN;
}

bool isTemporaryTcpFailure(int code) { return code == EAGAIN || code == EWOULDBLOCK || code == EINTR; }

bool isAddressInUseTcpFailure(int code) { return code == EADDRINUSE; }

std::string tcpSocketErrorText(int code) {
  const std::string text = systemErrorText(code);
  return text.empty() ? "socket error " + std::to_string(code) : text;
}
