#include "tools/client/upload_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

constexpr size_t kChunk = 64 * 1024;

// Reads up to `limit` bytes; false on a read error.
bool readAtMost(std::ifstream& file, size_t limit, std::vector<uint8_t>& bytes) {
  bytes.clear();
  while (bytes.size() < limit && file) {
    const size_t want = std::min(kChunk, limit - bytes.size());
    const size_t had = bytes.size();
    bytes.resize(had + want);
    file.read(reinterpret_cast<char*>(bytes.data() + had), static_cast<std::streamsize>(want));
    bytes.resize(had + static_cast<size_t>(file.gcount()));
  }
  return !file.bad();
}

}  // namespace

bool readUploadFile(const std::string& path, size_t maxLength, std::vector<uint8_t>& bytes, std::string& error) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return error = path + " is a folder, not a file", false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return error = "cannot open " + path, false;
  if (!readAtMost(file, maxLength + 1, bytes)) return error = "cannot read " + path, false;
  if (bytes.empty()) return error = path + " is empty: the bridge accepts no empty upload", false;
  if (bytes.size() > maxLength) {
    bytes.clear();
    return error = path + " holds more than the " + std::to_string(maxLength) + " bytes the bridge accepts", false;
  }
  return true;
}
