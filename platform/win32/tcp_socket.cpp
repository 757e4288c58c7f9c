#include "platform/tcp_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <cstring>

#include "platform/last_error.h"

namespace {

SOCKET handle(TcpSocket socket) { return static_cast<SOCKET>(socket); }

sockaddr_in ipv4SocketAddress(Ipv4Address address, uint16_t port) {
  sockaddr_in socketAddress;
  std::memset(&socketAddress, 0, sizeof socketAddress);
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_port = htons(port);
  socketAddress.sin_addr.s_addr = address;
  return socketAddress;
}

// Winsock counts bytes in an int.
int chunkLength(size_t length) { return length > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length); }

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
  const SOCKET created = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  return created == INVALID_SOCKET ? kInvalidTcpSocket : static_cast<TcpSocket>(created);
}

bool bindTcpSocket(TcpSocket socket, Ipv4Address address, uint16_t port) {
  const sockaddr_in socketAddress = ipv4SocketAddress(address, port);
  return ::bind(handle(socket), reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress) !=
         SOCKET_ERROR;
}

bool listenTcpSocket(TcpSocket socket, int backlog) { return ::listen(handle(socket), backlog) != SOCKET_ERROR; }

TcpSocket acceptTcpConnection(TcpSocket listening) {
  const SOCKET accepted = ::accept(handle(listening), nullptr, nullptr);
  return accepted == INVALID_SOCKET ? kInvalidTcpSocket : static_cast<TcpSocket>(accepted);
}

bool connectTcpSocket(TcpSocket socket, Ipv4Address address, uint16_t port) {
  const sockaddr_in socketAddress = ipv4SocketAddress(address, port);
  return ::connect(handle(socket), reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress) !=
         SOCKET_ERROR;
}

long receiveFromTcpSocket(TcpSocket socket, void* buffer, size_t length) {
  const int received = ::recv(handle(socket), static_cast<char*>(buffer), chunkLength(length), 0);
  return received == SOCKET_ERROR ? -1 : static_cast<long>(received);
}

long sendOnTcpSocket(TcpSocket socket, const void* data, size_t length) {
  const int sent = ::send(handle(socket), static_cast<const char*>(data), chunkLength(length), 0);
  return sent == SOCKET_ERROR ? -1 : static_cast<long>(sent);
}

long sendOnTcpSocketWithin(TcpSocket socket, const void* data, size_t length, int timeoutMilliseconds) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(handle(socket), &writable);
  FD_SET(handle(socket), &failed);
  timeval timeout{timeoutMilliseconds / 1000, (timeoutMilliseconds % 1000) * 1000};
  const int ready = ::select(0, nullptr, &writable, &failed, &timeout);
  if (ready == SOCKET_ERROR) return -1;
  if (ready == 0) return 0;
  // A blocking send waits until every byte is buffered, and neither a
  // shutdown nor a close from another thread wakes it under Wine; for this
  // one call the socket sends only what fits.
  u_long nonBlocking = 1;
  ::ioctlsocket(handle(socket), FIONBIO, &nonBlocking);
  const int sent = ::send(handle(socket), static_cast<const char*>(data), chunkLength(length), 0);
  const int error = WSAGetLastError();
  u_long blocking = 0;
  ::ioctlsocket(handle(socket), FIONBIO, &blocking);
  WSASetLastError(error);
  if (sent != SOCKET_ERROR) return static_cast<long>(sent);
  return error == WSAEWOULDBLOCK ? 0 : -1;
}

bool waitTcpReadable(TcpSocket socket, int timeoutMilliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(handle(socket), &readable);
  timeval timeout{timeoutMilliseconds / 1000, (timeoutMilliseconds % 1000) * 1000};
  return ::select(0, &readable, nullptr, nullptr, &timeout) > 0;
}

bool shutdownTcpReceive(TcpSocket socket) { return ::shutdown(handle(socket), SD_RECEIVE) != SOCKET_ERROR; }

bool shutdownTcpBoth(TcpSocket socket) { return ::shutdown(handle(socket), SD_BOTH) != SOCKET_ERROR; }

bool shutdownTcpSend(TcpSocket socket) { return ::shutdown(handle(socket), SD_SEND) != SOCKET_ERROR; }

bool shutdownWakesBlockedReceive() { return false; }

void closeTcpSocket(TcpSocket socket) { ::closesocket(handle(socket)); }

bool tcpPeerKnown(TcpSocket socket) {
  sockaddr_in peer;
  int length = sizeof peer;
  return ::getpeername(handle(socket), reinterpret_cast<sockaddr*>(&peer), &length) != SOCKET_ERROR;
}

uint16_t tcpPeerPort(TcpSocket socket) {
  sockaddr_in peer;
  int length = sizeof peer;
  if (::getpeername(handle(socket), reinterpret_cast<sockaddr*>(&peer), &length) == SOCKET_ERROR) return 0;
  return ntohs(peer.sin_port);
}

bool tcpPeerAddress(TcpSocket socket, Ipv4Address& address, uint16_t& port) {
  sockaddr_in peer;
  int length = sizeof peer;
  if (::getpeername(handle(socket), reinterpret_cast<sockaddr*>(&peer), &length) == SOCKET_ERROR) return false;
  address = peer.sin_addr.s_addr;
  port = ntohs(peer.sin_port);
  return true;
}

uint16_t tcpLocalPort(TcpSocket socket) {
  sockaddr_in local;
  int length = sizeof local;
  if (::getsockname(handle(socket), reinterpret_cast<sockaddr*>(&local), &length) == SOCKET_ERROR) return 0;
  return ntohs(local.sin_port);
}

int lastTcpSocketError() { return WSAGetLastError(); }

bool isConnectionGoneTcpFailure(int code) {
  return code == WSAECONNRESET || code == WSAECONNABORTED || code == WSAENETRESET || code == WSAESHUTDOWN ||
         code == WSAENOTCONN || code == WSAENOTSOCK;
}

bool isTemporaryTcpFailure(int code) { return code == WSATRY_AGAIN; }

bool isAddressInUseTcpFailure(int code) { return code == WSAEADDRINUSE; }

std::string tcpSocketErrorText(int code) {
  // Winsock's codes are system error codes; the system message table has
  // their text.
  const std::string text = systemErrorText(code);
  return text.empty() ? "socket error " + std::to_string(code) : text;
}
