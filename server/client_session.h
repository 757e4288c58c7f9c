// The serving thread of one app connection: reads 10-byte command frames and
// carries them out until the app goes, an upload fails, or the listener has
// been stopped. One thread per connection, started by the listener.
#pragma once

#include "platform/tcp_socket.h"

// Serving thread body. Takes ownership of `connection` (already registered
// with the connection registry), and closes and unregisters it at the end.
// Keeps connectedClientCount: +1 while the thread serves.
void serveClient(TcpSocket connection);
