// The file behind the diagnostic log: where start-up puts it, and appending
// one line at a time under a size bound. Holds no state of its own and takes
// no lock: the log serialises every call with its own lock.
#pragma once

#include <cstdint>
#include <string>

// A file that has reached this size after a line becomes the one older file.
constexpr uint64_t kLogFileSizeLimit = 10u * 1024u * 1024u;

// Where start-up put the log, and why it is not where it was asked to be.
struct LogPlace {
  std::string path;      // the file lines are appended to; empty when none could be created
  std::string fallback;  // empty, or why the requested file could not be used
};

// Empties the requested file (creating it). When it cannot be created, makes
// `fallbackFolder` and empties the file of the requested name's last part
// there; `fallback` then says what the requested file was and the system's
// reason. An empty `path` when neither place can be written. The older file
// of the chosen place is left as it is.
LogPlace startLogFile(const std::string& requested, const std::string& fallbackFolder);

// Appends the line to the file (opened and closed for this line alone). When
// the file has reached kLogFileSizeLimit with it, it becomes the older file
// (olderLogPath; one before it is removed) and the next line starts a new
// file; when it cannot be moved it is emptied, so the bound holds either way.
// False when the line could not be written.
bool appendLogLine(const std::string& path, const std::string& line);

// The older file beside a log file: "Orvxlink.log" -> "Orvxlink.old.log"; a
// name without an extension gets ".old".
std::string olderLogPath(const std::string& path);
