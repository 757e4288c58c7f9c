// Little-endian reading and writing of the wire's integer and float fields.
// Pure functions, safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace simemu {

uint32_t readU32(const uint8_t* bytes);
float readF32(const uint8_t* bytes);
void writeU32(uint8_t* bytes, uint32_t value);
void writeF32(uint8_t* bytes, float value);
void appendU32(std::vector<uint8_t>* out, uint32_t value);
// Lower-case hexadecimal digits of the bytes, two per byte.
std::string hexBytes(const std::vector<uint8_t>& bytes);

}  // namespace simemu
