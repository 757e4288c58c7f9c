#include "platform/test_socket_pair.h"

bool makeConnectedSocketPair(TcpSocket& first, TcpSocket& second) {
  first = second = kInvalidTcpSocket;
  const Ipv4Address loopback = ipv4AddressFromText("127.0.0.1");
  const TcpSocket listening = createTcpSocket();
  if (listening == kInvalidTcpSocket) return false;
  const bool listens = bindTcpSocket(listening, loopback, 0) && listenTcpSocket(listening, 1);
  const TcpSocket connecting = listens ? createTcpSocket() : kInvalidTcpSocket;
  if (connecting != kInvalidTcpSocket && connectTcpSocket(connecting, loopback, tcpLocalPort(listening))) {
    second = acceptTcpConnection(listening);
  }
  closeTcpSocket(listening);
  if (second == kInvalidTcpSocket) {
    if (connecting != kInvalidTcpSocket) closeTcpSocket(connecting);
    return false;
  }
  first = connecting;
  return true;
}
