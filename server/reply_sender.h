// Sends one piece of a reply on a serving thread's connection. Called only by
// the thread that owns the socket.
#pragma once

#include <cstddef>

#include "platform/tcp_socket.h"

// Sends all `length` bytes. On a temporary failure it waits 50 ms and tries
// the rest again; on any other failure it abandons the rest of the piece
// without a word (a broken connection shows at the next frame read).
void sendReplyPiece(TcpSocket connection, const void* data, size_t length);
