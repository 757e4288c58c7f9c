// The SimConnect wire protocol as both ends of a link see it: the request
// header and request kinds that the client sends, and the sizes of the fixed
// request packets. Shared by the link library and the simulator emulator.
// All integers are little-endian; packets are packed with no padding.
#pragma once

#include <cstdint>

namespace simwire {

constexpr uint32_t kProtocolVersion = 5;
constexpr uint32_t kRequestHeaderSize = 16;  // dwSize, dwVersion, dwID, dwSendID
constexpr uint32_t kStringFieldSize = 256;   // 255 characters and a NUL

// Request kinds (dwID of a request packet) and their packet sizes.
constexpr uint32_t kOpen = 0xF0000001u;
constexpr uint32_t kMapClientEventToSimEvent = 0xF0000004u;
constexpr uint32_t kTransmitClientEvent = 0xF0000005u;
constexpr uint32_t kAddToDataDefinition = 0xF000000Cu;
constexpr uint32_t kRequestDataOnSimObjectType = 0xF000000Fu;
constexpr uint32_t kSubscribeToSystemEvent = 0xF0000017u;
constexpr uint32_t kRequestSystemState = 0xF0000035u;

constexpr uint32_t kOpenSize = 296;
constexpr uint32_t kMapClientEventToSimEventSize = 276;
constexpr uint32_t kTransmitClientEventSize = 36;
constexpr uint32_t kAddToDataDefinitionSize = 544;
constexpr uint32_t kRequestDataOnSimObjectTypeSize = 32;
constexpr uint32_t kSubscribeToSystemEventSize = 276;
constexpr uint32_t kRequestSystemStateSize = 276;

// Fixed values of the open request.
constexpr uint32_t kOpenMagic = 0x004B4800u;  // bytes 0x00 'H' 'K' 0x00
constexpr uint32_t kOpenVersionMajor = 11;
constexpr uint32_t kOpenVersionMinor = 0;
constexpr uint32_t kOpenBuildMajor = 62651;
constexpr uint32_t kOpenBuildMinor = 3;

// The simulator's default pipe on a machine ("." is the local one).
constexpr const char* kDefaultPipeFormat = "\\\\%s\\pipe\\Microsoft Flight Simulator\\SimConnect";
constexpr const char* kDefaultLocalPipe = "\\\\.\\pipe\\Microsoft Flight Simulator\\SimConnect";

}  // namespace simwire
