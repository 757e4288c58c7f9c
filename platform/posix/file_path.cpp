#include "platform/file_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

std::string nativeFilePath(const std::string& windowsStylePath) {
  std::string path = windowsStylePath;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::FILE* openTextFileForReading(const std::string& windowsStylePath) {
  // O_NONBLOCK so that opening a FIFO never waits for a writer; the regular
  // file that passes the check below reads the same either way.
  const int fd = ::open(nativeFilePath(windowsStylePath).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "r");
  if (file == nullptr) ::close(fd);
  return file;
}
