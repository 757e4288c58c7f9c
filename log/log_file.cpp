#include "log/log_file.h"

#include <cstdio>

#include "platform/file_location.h"
#include "platform/known_folders.h"
#include "platform/last_error.h"

namespace {

// The last part of a path, after either separator, since a name given on a
// Windows command line may use both.
std::string fileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// Creates or empties the file; the system's reason when it cannot.
bool emptyFile(const std::string& path, std::string& whyNot) {
  if (std::FILE* file = std::fopen(path.c_str(), "w")) {
    std::fclose(file);
    return true;
  }
  whyNot = systemErrorText(lastSystemErrorCode());
  return false;
}

}  // namespace

LogPlace startLogFile(const std::string& requested, const std::string& fallbackFolder) {
  LogPlace place;
  std::string whyNot;
  if (emptyFile(requested, whyNot)) {
    place.path = requested;
    return place;
  }
  place.fallback = absoluteFilePath(requested) + " cannot be written: " + whyNot;
  std::string fallbackPath;
  std::string ignored;
  const std::string name = fileNameOf(requested);
  if (!fallbackFolder.empty() && !name.empty() && makeFolderPath(fallbackFolder) &&
      combinePath(fallbackFolder, name.c_str(), fallbackPath) && emptyFile(fallbackPath, ignored)) {
    place.path = fallbackPath;
  }
  return place;
}

bool appendLogLine(const std::string& path, const std::string& line) {
  std::FILE* file = std::fopen(path.c_str(), "a+");
  if (file == nullptr) return false;
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  // The size from the end itself: an appending stream's position before its
  // data is flushed is not the file's end on every C library.
  const bool measured = std::fflush(file) == 0 && std::fseek(file, 0, SEEK_END) == 0;
  const long size = measured ? std::ftell(file) : -1;
  std::fclose(file);
  if (size >= 0 && static_cast<uint64_t>(size) >= kLogFileSizeLimit) {
    const std::string older = olderLogPath(path);
    std::remove(older.c_str());
    if (std::rename(path.c_str(), older.c_str()) != 0) {
      std::string ignored;
      emptyFile(path, ignored);  // held open elsewhere: the bound matters more than the history
    }
  }
  return written;
}

std::string olderLogPath(const std::string& path) {
  const size_t nameStart = path.size() - fileNameOf(path).size();
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot <= nameStart) return path + ".old";  // none, or a name like ".log"
  return path.substr(0, dot) + ".old" + path.substr(dot);
}
