#include "platform/test_tcp_reset.h"

#include <sys/socket.h>
#include <unistd.h>

void resetTcpConnection(TcpSocket socket) {
  const linger abortive{1, 0};
  setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  close(static_cast<int>(socket));
}
