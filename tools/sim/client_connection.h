// One connected client of the emulator: a reader thread that frames its
// requests by their 16-byte header and hands each to the emulator, and a
// writer thread that sends the emulator's messages in order, optionally in
// small pieces, several at once, or after a stall (the faults a client must
// survive). Public calls are safe from any thread; the owner calls close()
// (or destroys it) from a thread other than its own reader and writer.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/stream_connection.h"
#include "tools/sim/sim_messages.h"

namespace simemu {

class ClientConnection {
 public:
  using RequestHandler = std::function<void(int clientId, const uint8_t* request, size_t size)>;
  using FramingErrorHandler =
      std::function<void(int clientId, const uint8_t* header, size_t size, const std::string& reason)>;

  ClientConnection(int id, std::unique_ptr<StreamConnection> stream, RequestHandler onRequest,
                   FramingErrorHandler onFramingError);
  ~ClientConnection();
  ClientConnection(const ClientConnection&) = delete;
  ClientConnection& operator=(const ClientConnection&) = delete;

  void start();
  // Ends the connection and joins both threads; messages still queued are
  // dropped. Idempotent.
  void close();
  // True once the connection ended: the peer left, a frame was bad, a write
  // failed or drop() was called.
  bool finished() const { return finished_.load(); }
  int id() const { return id_; }

  // Queues a message; messages go out in queue order. A client with more
  // than 20000 messages waiting (it reads nothing) is cut off.
  void send(Message message);

  // Faults: each message written in pieces of chunkBytes (0: whole); up to
  // messagesPerWrite messages joined into one write (0 or 1: one each); no
  // writes at all for the next milliseconds; the connection cut at once.
  void setSplitWrites(size_t chunkBytes);
  void setMergedWrites(size_t messagesPerWrite);
  void stall(unsigned milliseconds);
  void drop();

 private:
  void readLoop();
  bool frameRequests(std::vector<uint8_t>* buffer);
  void writeLoop();
  bool waitForBatch(std::unique_lock<std::mutex>& lock, std::vector<Message>* batch, size_t* chunkBytes);
  bool writeBatch(const std::vector<Message>& batch, size_t chunkBytes);
  void finish();

  const int id_;
  std::unique_ptr<StreamConnection> stream_;
  RequestHandler onRequest_;
  FramingErrorHandler onFramingError_;
  std::thread reader_;
  std::thread writer_;
  std::atomic<bool> finished_{false};

  std::mutex queueMutex_;
  std::condition_variable queueSignal_;
  std::deque<Message> queue_;  // guarded by queueMutex_, as are the settings below
  bool stopping_ = false;
  bool closed_ = false;
  size_t splitChunkBytes_ = 0;
  size_t mergeCount_ = 0;
  std::chrono::steady_clock::time_point stallUntil_{};
};

}  // namespace simemu
