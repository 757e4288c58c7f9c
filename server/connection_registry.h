// The live app connections, so that stopping the listener can release serving
// threads that wait for a silent app. Process-wide; the listener registers a
// connection when it accepts it, its serving thread unregisters it before
// closing it, and the stop path releases them all. Any thread may call these.
#pragma once

#include "platform/tcp_socket.h"

// Forgets every connection and clears the released state. Listener start-up.
void resetConnectionRegistry();

// Adds an accepted connection. After releaseAllConnections it is shut down at
// once instead, so a connection accepted during the stop cannot hold it up.
void registerConnection(TcpSocket connection);

// Removes a connection; its serving thread calls this before closing it, so
// the stop path never touches a closed socket.
void unregisterConnection(TcpSocket connection);

// Marks all connections released and shuts each live one down in both
// directions, which ends its app's connection and makes its receives fail.
void releaseAllConnections();

// True once releaseAllConnections ran: serving threads stop waiting for data.
bool connectionsReleased();
