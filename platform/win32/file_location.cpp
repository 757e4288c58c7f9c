#include "platform/file_location.h"

#include <windows.h>

std::string absoluteFilePath(const std::string& path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return path;
  return std::string(full, length);
}

std::string executableFolder() {
  char full[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
  if (length == 0 || length >= sizeof full) return std::string();
  const std::string text(full, length);
  const size_t slash = text.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : text.substr(0, slash);
}
