#include "platform/test_tcp_buffers.h"

#include <sys/socket.h>

void setTcpReceiveBufferSize(TcpSocket socket, int bytes) {
  setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

void setTcpSendBufferSize(TcpSocket socket, int bytes) {
  setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}
