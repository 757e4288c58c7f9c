#include "log/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "log/log_file.h"
#include "platform/file_location.h"
#include "platform/known_folders.h"
#include "platform/last_error.h"
#include "platform/local_time.h"

#ifdef ORVXLINK_LOG_DEFAULT_ON
std::atomic<bool> logEnabled{true};
#else
std::atomic<bool> logEnabled{false};
#endif

const char* const logFilePath = "Orvxlink.log";

namespace {

// Each line is opened, appended and closed on its own; the lock keeps lines of
// different threads from mixing in the file and on standard output.
std::mutex& logLock() {
  static std::mutex lock;
  return lock;
}

constexpr size_t kFormatBufferSize = 2048;

// Guarded by logLock().
std::string requestedFile = logFilePath;
std::string startText = "Orvxlink log";
std::string fileInUse = logFilePath;

}  // namespace

void logMessage(const char* format, ...) {
  if (!logEnabled.load()) return;

  char formatted[kFormatBufferSize] = {};
  va_list args;
  va_start(args, format);
  vsnprintf(formatted, sizeof formatted, format, args);  // cuts at 2047 characters
  va_end(args);

  std::string text(formatted);
  text += '\n';
  const std::string line = localTimeAsctime() + "-->" + text;

  std::lock_guard<std::mutex> hold(logLock());
  fwrite(text.data(), 1, text.size(), stdout);
  fflush(stdout);
  appendLogLine(fileInUse, line);
}

void logSocketError() {
  if (!logEnabled.load()) return;
  const int code = lastSystemErrorCode();
  logMessage("Orvx Socket: WSA Error code %d: %s", code, systemErrorText(code).c_str());
}

void setLogFileRequest(const std::string& file) {
  std::lock_guard<std::mutex> hold(logLock());
  requestedFile = file.empty() ? std::string(logFilePath) : file;
}

void setLogStartText(const std::string& text) {
  std::lock_guard<std::mutex> hold(logLock());
  startText = text;
}

void truncateLogFile() {
  if (!logEnabled.load()) return;
  std::string firstLine;
  {
    std::lock_guard<std::mutex> hold(logLock());
    std::string fallbackFolder;
    if (!programStateFolder(fallbackFolder)) fallbackFolder.clear();
    const LogPlace place = startLogFile(requestedFile, fallbackFolder);
    if (place.path.empty()) {
      logEnabled.store(false);
      return;
    }
    fileInUse = place.path;
    std::string workingFolder;
    if (!currentDirectoryPath(workingFolder)) workingFolder = "(unknown)";
    firstLine = startText + "; working folder " + workingFolder + "; log file " + absoluteFilePath(fileInUse);
    if (!place.fallback.empty()) firstLine += ", since " + place.fallback;
  }
  logMessage("%s", firstLine.c_str());
}

std::string logFileInUse() {
  if (!logEnabled.load()) return std::string();
  std::lock_guard<std::mutex> hold(logLock());
  return absoluteFilePath(fileInUse);
}
