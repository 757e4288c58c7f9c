#include "server/mcp_checksum.h"

uint32_t mcpSettingsChecksum(const uint8_t* bytes, size_t length) {
  uint32_t h = 31;
  for (size_t i = 0; i < length; ++i) {
    const int value = static_cast<int8_t>(bytes[i]);
    const uint32_t magnitude = static_cast<uint32_t>(value < 0 ? -value : value);
    h = (h * 54059u) ^ (magnitude * 76963u);
  }
  return h;
}
