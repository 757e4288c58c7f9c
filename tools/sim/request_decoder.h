// Reading of the request packets a client sends: the 16-byte header (dwSize,
// dwVersion, dwID, dwSendID) and the fields of each known kind, for the
// emulator to act on and to log. Pure functions, safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/sim/request_log.h"

namespace simemu {

// Requests larger than the client's staging area cannot be real.
constexpr uint32_t kMaxRequestSize = 41088;

const char* requestKindName(uint32_t kind);
// The packet size of a known kind; 0 for an unknown kind.
uint32_t expectedRequestSize(uint32_t kind);

// Decodes one whole request (size bytes, at least the header) into a log
// entry: header fields, the kind's fields and a note when the size or
// version is not what the kind needs.
LoggedRequest decodeRequest(int clientId, const uint8_t* bytes, size_t size);

// The text of a 256-byte string field at offset (up to its first zero byte).
std::string requestText(const uint8_t* bytes, size_t offset);

}  // namespace simemu
