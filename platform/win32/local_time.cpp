#include "platform/local_time.h"

#include <ctime>

std::string localTimeAsctime() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_s(&local, &now);
  char text[64] = {};
  asctime_s(text, sizeof text, &local);
  std::string result(text);
  if (!result.empty() && result.back() == '\n') result.pop_back();
  return result;
}

std::string localClockTime(std::time_t moment) {
  tm local{};
  localtime_s(&local, &moment);
  char text[16] = {};
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}
