#include "app/detail_lines.h"

#include "bridge/shared_state.h"
#include "log/log.h"
#include "platform/local_time.h"

std::string lastAppLineText(const std::string& peer, const std::string& localTime) {
  if (peer.empty()) return "No app has connected yet.";
  return "Last app: " + peer + ", connected at " + localTime;
}

std::string lastAppLine() {
  const AppArrival arrival = lastAppArrival();
  return lastAppLineText(arrival.peer, arrival.peer.empty() ? std::string() : localClockTime(arrival.connectedAt));
}

std::string logPlaceLineText(const std::string& logFile) { return logFile.empty() ? std::string() : "Log: " + logFile; }

std::string logPlaceLine() { return logPlaceLineText(logFileInUse()); }
