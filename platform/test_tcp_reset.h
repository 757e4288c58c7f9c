// Test support: ends an app's TCP connection with a reset instead of the
// orderly close. A test that lets the program close an app's connection
// first would otherwise leave the program's fixed port in TIME_WAIT for a
// minute, and on POSIX (and under Wine) the next run of the program could not
// bind it. Any thread, on a socket no other thread uses.
#pragma once

#include "platform/tcp_socket.h"

// Sets SO_LINGER on with a time of 0 and closes the socket.
void resetTcpConnection(TcpSocket socket);
