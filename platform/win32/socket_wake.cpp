#include "platform/socket_wake.h"

#include <winsock2.h>

#include <cstring>
#include <new>

// A loopback UDP socket connected to itself: a signal is a datagram to it,
// and select() waits on it beside the app's socket. Unlike event selection,
// this never changes the app socket's blocking mode, which the session
// thread's sends rely on while a serving thread waits.
struct SocketWake {
  SOCKET datagrams;
};

namespace {

bool connectToItself(SOCKET datagrams) {
  sockaddr_in address;
  std::memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (bind(datagrams, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) return false;
  if (getsockname(datagrams, reinterpret_cast<sockaddr*>(&address), &length) == SOCKET_ERROR) return false;
  if (connect(datagrams, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) return false;
  u_long nonBlocking = 1;
  return ioctlsocket(datagrams, FIONBIO, &nonBlocking) != SOCKET_ERROR;
}

}  // namespace

SocketWake* createSocketWake() {
  const SOCKET datagrams = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (datagrams == INVALID_SOCKET) return nullptr;
  SocketWake* wake = connectToItself(datagrams) ? new (std::nothrow) SocketWake{datagrams} : nullptr;
  if (wake == nullptr) closesocket(datagrams);
  return wake;
}

void closeSocketWake(SocketWake* wake) {
  if (wake == nullptr) return;
  closesocket(wake->datagrams);
  delete wake;
}

void signalSocketWake(SocketWake* wake) {
  // Fails only when datagrams are queued already, which still leaves it
  // signalled.
  const char signal = 1;
  send(wake->datagrams, &signal, 1, 0);
}

SocketWaitEnd waitTcpReadableOrWoken(TcpSocket socket, SocketWake* wake, int timeoutMilliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(static_cast<SOCKET>(socket), &readable);
  FD_SET(wake->datagrams, &readable);
  timeval timeout{timeoutMilliseconds / 1000, (timeoutMilliseconds % 1000) * 1000};
  if (select(0, &readable, nullptr, nullptr, &timeout) <= 0) return SocketWaitEnd::timedOut;
  if (FD_ISSET(wake->datagrams, &readable)) {
    char drained[16];
    while (recv(wake->datagrams, drained, sizeof drained, 0) > 0) {
    }
    return SocketWaitEnd::woken;
  }
  return SocketWaitEnd::readable;
}
