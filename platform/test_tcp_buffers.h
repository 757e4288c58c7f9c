// Test support: small socket buffers, so that the bridge's sends to an app
// that does not read fill up soon and room comes back in small pieces. Call
// before connecting (the receive window is agreed then).
#pragma once

#include "platform/tcp_socket.h"

void setTcpReceiveBufferSize(TcpSocket socket, int bytes);
void setTcpSendBufferSize(TcpSocket socket, int bytes);
