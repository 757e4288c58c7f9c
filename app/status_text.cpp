#include "app/status_text.h"

#include <cstdio>

std::string statusText(int32_t clients, bool simConnected) {
  char countLine[48];
  std::snprintf(countLine, sizeof countLine, "%d client(s) connected.", static_cast<int>(clients));
  return std::string(countLine) + (simConnected ? "\n\nFS2020 connected" : "\n\nWaiting for FS2020 connection");
}
