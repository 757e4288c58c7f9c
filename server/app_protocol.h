// The app protocol's fixed texts and sizes: the six 10-byte command frames,
// the record sizes, the upload length cap and the little-endian integers of
// the wire. Shared by the serving threads and the app client; constants and
// pure functions only, so any thread may use them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kCommandFrameSize = 10;

// Frames are matched byte for byte; none carries a terminator on the wire.
constexpr char kRequestFlightData[] = "rSIMDATA30";
constexpr char kRequestFmcData[] = "rFMCDATA20";
constexpr char kPeekFmcData[] = "vFMCDATA20";
constexpr char kUploadSettings[] = "sMCPDATA20";
constexpr char kUploadFmcData[] = "sFMCDATA20";
constexpr char kUploadFlightPlan[] = "sFPLDATA10";

// "vFMCDATA20" answers with this many leading bytes of the FMC data.
constexpr size_t kFmcPeekSize = 8;

// Largest FMC or flight-plan upload the bridge accepts. Real uploads are a
// few kilobytes; the cap keeps an announced length from exhausting memory.
constexpr uint32_t kMaxUploadLength = 16u * 1024u * 1024u;

inline uint32_t decodeLittleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

inline void encodeLittleEndian32(uint32_t value, uint8_t* bytes) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
  bytes[2] = static_cast<uint8_t>(value >> 16);
  bytes[3] = static_cast<uint8_t>(value >> 24);
}
