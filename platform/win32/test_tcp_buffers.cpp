#include "platform/test_tcp_buffers.h"

#include <winsock2.h>

void setTcpReceiveBufferSize(TcpSocket socket, int bytes) {
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

void setTcpSendBufferSize(TcpSocket socket, int bytes) {
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}
