// The MCP settings checksum that an app sends after a settings record with
// "sMCPDATA20". Pure function; any thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Over the bytes in order: h starts at 31; for each byte, a is the absolute
// value of the byte read as a signed 8-bit number (0 to 128), and
// h = (h * 54059) ^ (a * 76963) in wrapping 32-bit arithmetic.
uint32_t mcpSettingsChecksum(const uint8_t* bytes, size_t length);
