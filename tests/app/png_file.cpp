#include "tests/app/png_file.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace {

uint32_t crc32(const std::string& bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(const std::string& bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string bigEndian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

std::string chunk(const std::string& kind, const std::string& data) {
  const std::string body = kind + data;
  return bigEndian(static_cast<uint32_t>(data.size())) + body + bigEndian(crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(const std::string& data) {
  std::string stream = "\x78\x01";
  size_t offset = 0;
  do {
    const size_t length = std::min<size_t>(65535, data.size() - offset);
    const bool last = offset + length == data.size();
    stream += static_cast<char>(last ? 1 : 0);
    stream += static_cast<char>(length & 0xFF);
    stream += static_cast<char>(length >> 8);
    stream += static_cast<char>(~length & 0xFF);
    stream += static_cast<char>((~length >> 8) & 0xFF);
    stream.append(data, offset, length);
    offset += length;
  } while (offset < data.size());
  return stream + bigEndian(adler32(data));
}

}  // namespace

bool writePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  std::string rows;
  for (int y = 0; y < height; ++y) {
    rows += '\0';  // no filter
    rows.append(reinterpret_cast<const char*>(rgb.data()) + static_cast<size_t>(y) * width * 3,
                static_cast<size_t>(width) * 3);
  }
  const std::string header = bigEndian(static_cast<uint32_t>(width)) + bigEndian(static_cast<uint32_t>(height)) +
                             std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
  std::ofstream file(path, std::ios::binary);
  file << "\x89PNG\r\n\x1a\n" << chunk("IHDR", header) << chunk("IDAT", zlibStored(rows)) << chunk("IEND", "");
  return static_cast<bool>(file);
}
