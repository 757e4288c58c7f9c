#include "tools/sim/client_connection.h"

#include <algorithm>

#include "platform/clock.h"
#include "simlink/wire.h"
#include "tools/sim/request_decoder.h"
#include "tools/sim/wire_bytes.h"

namespace simemu {

namespace {
// How long a merged write waits for its batch to fill before it goes anyway.
constexpr std::chrono::milliseconds kMergeWait{200};
// A client that reads nothing while frames keep coming would make the queue
// grow without end; past this many waiting messages it is cut off instead.
constexpr size_t kMaxQueuedMessages = 20000;
}  // namespace

ClientConnection::ClientConnection(int id, std::unique_ptr<StreamConnection> stream, RequestHandler onRequest,
                                   FramingErrorHandler onFramingError)
    : id_(id),
      stream_(std::move(stream)),
      onRequest_(std::move(onRequest)),
      onFramingError_(std::move(onFramingError)) {}

ClientConnection::~ClientConnection() { close(); }

void ClientConnection::start() {
  // The threads are created under the lock that close() takes first, so a
  // close from the reaper either sees both threads or prevents them.
  std::lock_guard<std::mutex> lock(queueMutex_);
  if (closed_) return;
  reader_ = std::thread([this] { readLoop(); });
  writer_ = std::thread([this] { writeLoop(); });
}

void ClientConnection::close() {
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (closed_) return;
    closed_ = true;
    stopping_ = true;
  }
  queueSignal_.notify_all();
  stream_->shutdownBoth();
  if (reader_.joinable()) reader_.join();
  if (writer_.joinable()) writer_.join();
  finished_.store(true);
}

void ClientConnection::finish() {
  finished_.store(true);
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    stopping_ = true;
  }
  queueSignal_.notify_all();
  stream_->shutdownBoth();
}

void ClientConnection::readLoop() {
  std::vector<uint8_t> buffer;
  uint8_t chunk[8192];
  for (;;) {
    const long got = stream_->readSome(chunk, sizeof chunk);
    if (got <= 0) break;
    buffer.insert(buffer.end(), chunk, chunk + got);
    if (!frameRequests(&buffer)) break;
  }
  finish();
}

// Hands every whole request in the buffer to the emulator. False when a size
// field is impossible: the stream can no longer be framed.
bool ClientConnection::frameRequests(std::vector<uint8_t>* buffer) {
  size_t start = 0;
  while (buffer->size() - start >= 4) {
    const uint8_t* head = buffer->data() + start;
    const uint32_t size = readU32(head);
    if (size < simwire::kRequestHeaderSize || size > kMaxRequestSize) {
      const size_t available = std::min<size_t>(buffer->size() - start, simwire::kRequestHeaderSize);
      onFramingError_(id_, head, available,
                      size < simwire::kRequestHeaderSize ? "size field below the 16-byte header"
                                                         : "size field above " + std::to_string(kMaxRequestSize));
      return false;
    }
    if (buffer->size() - start < size) break;
    onRequest_(id_, head, size);
    start += size;
  }
  buffer->erase(buffer->begin(), buffer->begin() + static_cast<std::ptrdiff_t>(start));
  return true;
}

void ClientConnection::send(Message message) {
  bool overflowing = false;
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (stopping_) return;
    queue_.push_back(std::move(message));
    overflowing = queue_.size() > kMaxQueuedMessages;
  }
  queueSignal_.notify_all();
  if (overflowing) finish();
}

void ClientConnection::setSplitWrites(size_t chunkBytes) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  splitChunkBytes_ = chunkBytes;
}

void ClientConnection::setMergedWrites(size_t messagesPerWrite) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  mergeCount_ = messagesPerWrite;
}

void ClientConnection::stall(unsigned milliseconds) {
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    stallUntil_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  }
  queueSignal_.notify_all();
}

void ClientConnection::drop() { finish(); }

// Waits until a batch may be written: something queued, no stall running,
// and (when merging) enough messages or the merge wait over. False on stop.
bool ClientConnection::waitForBatch(std::unique_lock<std::mutex>& lock, std::vector<Message>* batch,
                                    size_t* chunkBytes) {
  for (;;) {
    queueSignal_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now < stallUntil_) {
      queueSignal_.wait_until(lock, stallUntil_, [&] { return stopping_; });
      continue;
    }
    if (mergeCount_ > 1 && queue_.size() < mergeCount_) {
      queueSignal_.wait_for(lock, kMergeWait, [&] { return stopping_ || queue_.size() >= mergeCount_; });
      if (stopping_) return false;
    }
    const size_t take = mergeCount_ > 1 ? std::min(queue_.size(), mergeCount_) : 1;
    for (size_t i = 0; i < take; ++i) {
      batch->push_back(std::move(queue_.front()));
      queue_.pop_front();
    }
    *chunkBytes = splitChunkBytes_;
    return true;
  }
}

void ClientConnection::writeLoop() {
  std::unique_lock<std::mutex> lock(queueMutex_);
  for (;;) {
    std::vector<Message> batch;
    size_t chunkBytes = 0;
    if (!waitForBatch(lock, &batch, &chunkBytes)) break;
    lock.unlock();
    const bool written = writeBatch(batch, chunkBytes);
    lock.lock();
    if (!written) break;
  }
  lock.unlock();
  finish();
}

// A merged batch leaves in one write; a split one in pieces with a short
// pause between them, so that the reader sees them arrive separately.
bool ClientConnection::writeBatch(const std::vector<Message>& batch, size_t chunkBytes) {
  Message joined;
  for (const Message& message : batch) joined.insert(joined.end(), message.begin(), message.end());
  if (chunkBytes == 0) return stream_->writeAll(joined.data(), joined.size());
  for (size_t offset = 0; offset < joined.size(); offset += chunkBytes) {
    if (offset > 0) sleepMilliseconds(2);
    const size_t piece = std::min(chunkBytes, joined.size() - offset);
    if (!stream_->writeAll(joined.data() + offset, piece)) return false;
  }
  return true;
}

}  // namespace simemu
