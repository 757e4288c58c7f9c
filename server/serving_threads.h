// The serving threads one listener has started, in start order. Owned by the
// listener thread and touched only by it; each serving thread only marks its
// own end. Threads that have ended are joined as the listener goes, so a
// bridge that serves apps for days keeps only the threads of live
// connections, not one stack per connection it ever served.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <thread>
#include <vector>

#include "platform/tcp_socket.h"

class ServingThreads {
 public:
  ServingThreads() = default;
  ServingThreads(const ServingThreads&) = delete;
  ServingThreads& operator=(const ServingThreads&) = delete;

  // Starts a serving thread for the accepted connection. False (the socket
  // closed and unregistered) when the thread cannot be created.
  bool start(TcpSocket accepted);

  // Joins every thread that has ended; the rest keep their start order.
  void joinEnded();

  // Joins every thread, in start order, and returns their peers' ports in
  // the order they were joined.
  std::vector<uint16_t> joinAll();

  size_t size() const { return threads_.size(); }

 private:
  struct Entry {
    std::thread thread;
    uint16_t peerPort;
    std::shared_ptr<std::atomic<bool>> ended;
  };
  std::list<Entry> threads_;
};
