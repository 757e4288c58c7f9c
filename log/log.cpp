#include "log/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

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
  if (FILE* file = fopen(logFilePath, "a+")) {
    fwrite(line.data(), 1, line.size(), file);
    fclose(file);
  }
}

void logSocketError() {
  if (!logEnabled.load()) return;
  const int code = lastSystemErrorCode();
  logMessage("Orvx Socket: WSA Error code %d: %s", code, systemErrorText(code).c_str());
}

void truncateLogFile() {
  if (!logEnabled.load()) return;
  std::lock_guard<std::mutex> hold(logLock());
  if (FILE* file = fopen(logFilePath, "w")) {
    fclose(file);
  } else {
    logEnabled.store(false);
  }
}

std::string logFileInUse() { return logEnabled.load() ? std::string(logFilePath) : std::string(); }
