// The file a user uploads with "fmc set FILE" or "fpl set FILE", read with
// the bridge's limits in mind: never more than one byte past what the
// bridge accepts, so a huge or endless file (a device such as /dev/zero)
// is refused instead of filling memory. Main thread of orvxlink-client.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the file into `bytes`. False with a message in `error` when it
// cannot be opened or read, is a folder, is empty, or holds more than
// `maxLength` bytes.
bool readUploadFile(const std::string& path, size_t maxLength, std::vector<uint8_t>& bytes, std::string& error);
