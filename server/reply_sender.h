// Sends one piece of a reply on a serving thread's connection. Called only by
// the thread that owns the socket.
#pragma once

#include <cstddef>

#include "platform/tcp_socket.h"

enum class SendOutcome {
  sent,            // every byte went out
  abandoned,       // a failure that leaves the connection usable: the rest of the piece is dropped
  connectionGone,  // the app has gone, or the stop released the connection: end it
};

// Sends all `length` bytes. It waits for room in slices, so an app that does
// not read never holds the stop; on a temporary failure it waits 50 ms and
// tries the rest again.
SendOutcome sendReplyPiece(TcpSocket connection, const void* data, size_t length);
