#include "platform/file_location.h"

#include <unistd.h>
#include <climits>
#include <cstdlib>

std::string absoluteFilePath(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  if (!path.empty() && path[0] == '/') return path;
  char current[PATH_MAX];
  if (getcwd(current, sizeof current) == nullptr) return path;
  return std::string(current) + "/" + path;
}

std::string executableFolder() {
  char target[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", target, sizeof target - 1);
  if (length <= 0) return std::string();
  const std::string full(target, static_cast<size_t>(length));
  const size_t slash = full.rfind('/');
  return slash == std::string::npos ? std::string() : full.substr(0, slash);
}
