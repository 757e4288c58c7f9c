// The diagnostic log: one line per event, echoed to standard output and
// appended with a local time stamp to Orvxlink.log in the working directory.
// Off unless the program is started with --log (or the build switches it on,
// CMake option ORVXLINK_LOG); while off every call returns at once. Any thread may log; each line reaches the file
// whole, never mixed with another thread's line.
#pragma once

#include <atomic>
#include <string>

// True while the log is on. Starts as the build setting; the program's main
// thread sets it for --log before the bridge starts; after that only bridge
// start-up changes it, and only to false (when the log file cannot be
// created).
extern std::atomic<bool> logEnabled;

// The log file, relative to the process's working directory.
extern const char* const logFilePath;

// Formats like printf into a 2048-byte buffer (longer messages are cut at
// 2047 characters), adds one newline, writes the text to standard output and
// the line "<asctime>--><text>" to the log file. A line that cannot be
// written to the file is dropped; standard output has it already.
void logMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Logs "Orvx Socket: WSA Error code %d: %s" with the calling thread's last
// system error and its description. Reads nothing while the log is off.
void logSocketError();

// The file the log writes to, as the user should be told it; empty while the
// log is off. Any thread.
std::string logFileInUse();

// Start-up truncation: when the log is on, empties the log file; when it
// cannot be created, switches the log off for the rest of the run.
void truncateLogFile();
