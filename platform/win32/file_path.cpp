#include "platform/file_path.h"

#include <sys/stat.h>

std::string nativeFilePath(const std::string& windowsStylePath) { return windowsStylePath; }

std::FILE* openTextFileForReading(const std::string& windowsStylePath) {
  std::FILE* file = std::fopen(windowsStylePath.c_str(), "r");  // text mode: CR LF reads as LF
  if (file == nullptr) return nullptr;
  struct _stat64 status;
  if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}
