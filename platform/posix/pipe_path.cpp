#include "platform/pipe_path.h"

#include <cstdlib>

std::string localPipeEndpoint(const std::string& pipePath) {
  static const std::string kLocalPrefix = "\\\\.\\pipe\\";
  if (pipePath.compare(0, kLocalPrefix.size(), kLocalPrefix) != 0) return std::string();
  const std::string name = pipePath.substr(kLocalPrefix.size());
  if (name.empty()) return std::string();

  std::string fileName = "orvxlink-pipe-";
  for (char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '_' || c == '-';
    fileName += plain ? c : '_';
  }
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = (runtimeDir != nullptr && runtimeDir[0] != '\0') ? runtimeDir : "/tmp";
  return folder + "/" + fileName;
}
