// The receive side's framing: the bytes read from the transport, the message
// being cut out of them, and the cutting rule. Every simulator message starts
// with its u32 size, which is also its length on the wire. Owned by a link;
// used only by the thread that handles the link's one outstanding read (and
// by the link's set-up before the first read), so it needs no lock.
#pragma once

#include <cstdint>

constexpr uint32_t kReceiveBufferStep = 2048;       // first capacity, and each growth
constexpr uint32_t kReceiveBufferLimit = 0x100000;  // the buffer grows no further (1 MiB)

// The message being cut: a heap block (std::malloc) of at least its size.
struct MessageHolder {
  int32_t size = 0;
  uint32_t capacity = 0;
  uint8_t* data = nullptr;
};

// Frees the holder's block and empties it.
void releaseMessageHolder(MessageHolder& holder);

enum class CutResult {
  kComplete,  // the holder has one whole message
  kNeedMore,  // read more bytes first
  kTooLarge,  // the size field exceeds the limit, or the message could never fit the buffer
  kTooSmall,  // the size field is below 4
  kNoMemory,  // no block for the message, or the buffer could not grow
};

class ReceiveBuffer {
 public:
  ReceiveBuffer() = default;
  ~ReceiveBuffer();
  ReceiveBuffer(const ReceiveBuffer&) = delete;
  ReceiveBuffer& operator=(const ReceiveBuffer&) = delete;

  // Gives the buffer its first kReceiveBufferStep bytes. False without memory.
  bool allocate();

  // Both positions back to the start; the bytes are forgotten.
  void reset();

  // Where the next read goes: from the write position to the capacity's end.
  uint8_t* freeSpace() { return data_ + writePosition_; }
  uint32_t freeLength() const { return capacity_ - writePosition_; }

  // Requires: bytes <= freeLength(). The read put that many bytes there.
  void commit(uint32_t bytes) { writePosition_ += bytes; }

  // Cuts the next message into the holder. A message already whole in the
  // buffer is cut without moving the rest; the unread bytes are moved to
  // the start only when the buffer's end is reached, and the buffer grows by
  // kReceiveBufferStep (up to kReceiveBufferLimit) only when it is full with
  // one unfinished message. Never reads beyond the bytes received. A message
  // longer than kReceiveBufferLimit is too large even when maxReceiveSize
  // allows it: it could never be held.
  CutResult cut(MessageHolder& holder, uint32_t maxReceiveSize);

  uint32_t capacity() const { return capacity_; }
  uint32_t readPosition() const { return readPosition_; }
  uint32_t writePosition() const { return writePosition_; }

 private:
  uint32_t unread() const { return writePosition_ - readPosition_; }
  uint32_t sizeFieldAtReadPosition() const;
  CutResult settle(CutResult result);
  bool grow();

  uint8_t* data_ = nullptr;
  uint32_t capacity_ = 0;
  uint32_t readPosition_ = 0;
  uint32_t writePosition_ = 0;
};
