// Test support: two connected stream sockets in one process, for driving a
// serving thread's code with bytes chosen by a test or a fuzzer without a
// listener or a port. POSIX: socketpair (AF_UNIX). Win32: a loopback
// connection through a listener on an ephemeral port that is closed again at
// once. Any thread; the caller closes both ends with closeTcpSocket.
#pragma once

#include "platform/tcp_socket.h"

// False when the pair cannot be made; both ends are then kInvalidTcpSocket.
bool makeConnectedSocketPair(TcpSocket& first, TcpSocket& second);
