#include "tools/sim/wire_bytes.h"

#include <cstring>

namespace simemu {

uint32_t readU32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

float readF32(const uint8_t* bytes) {
  const uint32_t raw = readU32(bytes);
  float value;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

void writeU32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

void writeF32(uint8_t* bytes, float value) {
  uint32_t raw;
  std::memcpy(&raw, &value, sizeof raw);
  writeU32(bytes, raw);
}

void appendU32(std::vector<uint8_t>* out, uint32_t value) {
  const size_t at = out->size();
  out->resize(at + 4);
  writeU32(out->data() + at, value);
}

std::string hexBytes(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

}  // namespace simemu
