// The diagnostic log: one line per event, echoed to standard output and
// appended with a local time stamp to Orvxlink.log in the working directory
// (or the file --log=FILE names; when that cannot be written, to the same
// name in the program's state folder). Off unless the program is started
// with --log (or the build switches it on, CMake option ORVXLINK_LOG); while
// off every call returns at once. Any thread may log; each line reaches the
// file whole, never mixed with another thread's line. The file is kept under
// 10 MB by moving a full file aside as the one older file.
#pragma once

#include <atomic>
#include <string>

// True while the log is on. Starts as the build setting; the program's main
// thread sets it for --log before the bridge starts; after that only bridge
// start-up changes it, and only to false (when the log file cannot be
// created).
extern std::atomic<bool> logEnabled;

// The log file's usual name, relative to the process's working directory.
extern const char* const logFilePath;

// The file the log is to be written to; empty for logFilePath. Main thread,
// before the bridge starts.
void setLogFileRequest(const std::string& file);

// What the log's first line says about the run (program, version, options);
// the line adds the working folder and the log's own place. Main thread,
// before the bridge starts.
void setLogStartText(const std::string& text);

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

// The file the log writes to, as the user should be told it (absolute);
// empty while the log is off. Any thread.
std::string logFileInUse();

// Start-up truncation: when the log is on, empties the requested log file,
// or, when that cannot be created, the file of that name in the program's
// state folder; when neither can be created, switches the log off for the
// rest of the run. Then logs the first line: the start text, the working
// folder, the log's place and, when it is not the one requested, why.
void truncateLogFile();
