// The lines under the address line: the last app that connected in this run,
// and where the diagnostic log is written. Shared by the Windows status
// window and the POSIX status screen. The *Text functions are pure; the
// others read the bridge's shared state and the log's place, from any thread.
#pragma once

#include <string>

// "Last app: 192.168.1.31:50112, connected at 14:32:05", or that none has
// connected yet (empty peer).
std::string lastAppLineText(const std::string& peer, const std::string& localTime);

// The line for the last app that connected, its time in local time.
std::string lastAppLine();

// "Log: <file>"; empty when the log is off (empty file).
std::string logPlaceLineText(const std::string& logFile);

// The line for where the log is written now.
std::string logPlaceLine();
