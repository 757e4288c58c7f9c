// The serving thread of one connection on the app port. A connection whose
// first bytes start an HTTP request line is a browser's: it gets the check
// page and is closed. Any other is an app's: the thread reads its 10-byte
// command frames and carries them out until the app goes, an upload fails,
// or the listener has been stopped. One thread per connection, started by
// the listener.
#pragma once

#include "platform/tcp_socket.h"

// Serving thread body. Takes ownership of `connection` (already registered
// with the connection registry), and closes and unregisters it at the end.
// Keeps connectedClientCount: +1 while the thread serves an app, from its
// first frame on or from its connect when it stays silent; never for a
// browser's request.
void serveClient(TcpSocket connection);
