#include "simlink/receive_buffer.h"

#include <cstdlib>
#include <cstring>

void releaseMessageHolder(MessageHolder& holder) {
  std::free(holder.data);
  holder = MessageHolder{};
}

ReceiveBuffer::~ReceiveBuffer() { std::free(data_); }

bool ReceiveBuffer::allocate() {
  std::free(data_);
  data_ = static_cast<uint8_t*>(std::malloc(kReceiveBufferStep));
  capacity_ = data_ != nullptr ? kReceiveBufferStep : 0;
  reset();
  return data_ != nullptr;
}

void ReceiveBuffer::reset() { readPosition_ = writePosition_ = 0; }

// Requires: unread() >= 4. Wire integers are little-endian, as both targets.
uint32_t ReceiveBuffer::sizeFieldAtReadPosition() const {
  uint32_t size;
  std::memcpy(&size, data_ + readPosition_, sizeof size);
  return size;
}

CutResult ReceiveBuffer::cut(MessageHolder& holder, uint32_t maxReceiveSize) {
  if (unread() < 4) return settle(CutResult::kNeedMore);
  const uint32_t size = sizeFieldAtReadPosition();
  if (size > maxReceiveSize || size > kReceiveBufferLimit) return CutResult::kTooLarge;
  if (size < 4) return settle(CutResult::kTooSmall);

  if (size > holder.capacity) {
    std::free(holder.data);
    holder.data = static_cast<uint8_t*>(std::malloc(size));
    holder.capacity = holder.data != nullptr ? size : 0;
  }
  holder.size = static_cast<int32_t>(size);
  if (holder.data == nullptr) return settle(CutResult::kNoMemory);
  if (unread() < size) return settle(CutResult::kNeedMore);

  std::memcpy(holder.data, data_ + readPosition_, size);
  readPosition_ += size;
  if (readPosition_ == writePosition_) reset();
  return settle(CutResult::kComplete);
}

// Makes room for the next read once the buffer's end is reached.
CutResult ReceiveBuffer::settle(CutResult result) {
  if (result == CutResult::kComplete && unread() >= 4 && sizeFieldAtReadPosition() <= unread()) {
    return result;  // another whole message waits: cut it first
  }
  if (writePosition_ < capacity_) return result;
  if (readPosition_ > 0) {
    const uint32_t remaining = unread();
    std::memmove(data_, data_ + readPosition_, remaining);
    readPosition_ = 0;
    writePosition_ = remaining;
    return result;
  }
  // A finished message is delivered even when no room can be made; the next
  // cut reports the failure.
  if (result == CutResult::kComplete) {
    if (capacity_ < kReceiveBufferLimit) grow();
    return result;
  }
  if (capacity_ >= kReceiveBufferLimit) return CutResult::kTooLarge;  // cut() keeps this from happening
  return grow() ? result : CutResult::kNoMemory;
}

bool ReceiveBuffer::grow() {
  auto* larger = static_cast<uint8_t*>(std::malloc(capacity_ + kReceiveBufferStep));
  if (larger == nullptr) return false;
  std::memcpy(larger, data_, writePosition_);
  std::free(data_);
  data_ = larger;
  capacity_ += kReceiveBufferStep;
  return true;
}
