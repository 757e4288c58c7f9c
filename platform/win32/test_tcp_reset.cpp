#include "platform/test_tcp_reset.h"

#include <winsock2.h>

void resetTcpConnection(TcpSocket socket) {
  const linger abortive{1, 0};
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
             sizeof abortive);
  closesocket(static_cast<SOCKET>(socket));
}
