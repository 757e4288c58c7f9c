// The POSIX backend's insides of StreamConnection: a socket descriptor.
// Shared by stream_connection.cpp and stream_server.cpp of this backend only.
#pragma once

#include <atomic>

#include "platform/stream_connection.h"

struct StreamConnection::Impl {
  explicit Impl(int descriptor) : fd(descriptor) {}
  int fd;
  std::atomic<bool> shutDown{false};
};

// Small writes must leave at once: the simulator link's frames are small.
void streamDisableNagle(int fd);
