// A SimDataBlock for tests: 1688 zero bytes placed at an odd address, so any
// reader that does not copy its values out byte-wise trips the sanitizers'
// alignment check. Values are written at raw offsets.
#pragma once

#include <cstdint>
#include <cstring>

class SimBlock {
 public:
  SimBlock() { std::memset(storage_, 0, sizeof storage_); }

  const uint8_t* data() const { return storage_ + 1; }

  SimBlock& setDouble(uint32_t offset, double value) { return put(offset, &value, sizeof value); }
  SimBlock& setInt64(uint32_t offset, int64_t value) { return put(offset, &value, sizeof value); }
  SimBlock& setInt32(uint32_t offset, int32_t value) { return put(offset, &value, sizeof value); }
  // Up to 8 characters as the bytes of an 8-byte integer (the idents).
  SimBlock& setText8(uint32_t offset, const char* text) {
    uint8_t bytes[8] = {};
    std::memcpy(bytes, text, std::strlen(text) < 8 ? std::strlen(text) : 8);
    return put(offset, bytes, sizeof bytes);
  }

  double getDouble(uint32_t offset) const {
    double value;
    std::memcpy(&value, data() + offset, sizeof value);
    return value;
  }
  int64_t getInt64(uint32_t offset) const {
    int64_t value;
    std::memcpy(&value, data() + offset, sizeof value);
    return value;
  }
  int32_t getInt32(uint32_t offset) const {
    int32_t value;
    std::memcpy(&value, data() + offset, sizeof value);
    return value;
  }

 private:
  SimBlock& put(uint32_t offset, const void* bytes, size_t size) {
    std::memcpy(storage_ + 1 + offset, bytes, size);
    return *this;
  }

  uint8_t storage_[1688 + 1];
};
