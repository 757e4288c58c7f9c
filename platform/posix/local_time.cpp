#include "platform/local_time.h"

#include <ctime>

std::string localTimeAsctime() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  asctime_r(&local, text);
  std::string result(text);
  if (!result.empty() && result.back() == '\n') result.pop_back();
  return result;
}

std::string localClockTime(std::time_t moment) {
  tm local{};
  localtime_r(&moment, &local);
  char text[16] = {};
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}
