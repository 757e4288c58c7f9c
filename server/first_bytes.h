// The first bytes of a new connection on the app port, read just far enough
// to tell an app from a browser. Serving thread of that connection only.
#pragma once

#include <chrono>
#include <string>

#include "platform/tcp_socket.h"

struct FirstBytes {
  enum Kind {
    appFrame,     // `bytes` is the app's whole first command frame
    httpRequest,  // `bytes` starts a request line; the rest of the head follows
    ended,        // closed, failed or released first, or a start that never decided
  } kind = ended;
  std::string bytes;
  std::chrono::steady_clock::time_point firstByteAt{};
};

// Waits as long as it takes for the first byte, as for any app's first frame.
// From that byte on, a start that could still be a request line has the head's
// time limit to decide; an app's frame, once it is one, is read to its end
// without a limit, as every frame is.
FirstBytes readFirstBytes(TcpSocket connection);
