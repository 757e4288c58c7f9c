// Test support: a loopback TCP port that is free right now, for a server a
// test starts (tests run side by side, so none uses a fixed port). The socket
// library must be started. Any thread.
#pragma once

#include <cstdint>

#include "platform/tcp_socket.h"

inline uint16_t freeLoopbackTcpPort() {
  const TcpSocket probe = createTcpSocket();
  bindTcpSocket(probe, ipv4AddressFromText("127.0.0.1"), 0);
  const uint16_t port = tcpLocalPort(probe);
  closeTcpSocket(probe);
  return port;
}
