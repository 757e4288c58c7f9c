// Test support: a small receive buffer for an app that does not read, so that
// the bridge's sends to it fill up soon. Call before connecting.
#pragma once

#include "platform/tcp_socket.h"

void setTcpReceiveBufferSize(TcpSocket socket, int bytes);
