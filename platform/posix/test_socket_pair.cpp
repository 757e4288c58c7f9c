#include "platform/test_socket_pair.h"

#include <sys/socket.h>

bool makeConnectedSocketPair(TcpSocket& first, TcpSocket& second) {
  first = second = kInvalidTcpSocket;
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return false;
  first = static_cast<TcpSocket>(ends[0]);
  second = static_cast<TcpSocket>(ends[1]);
  return true;
}
