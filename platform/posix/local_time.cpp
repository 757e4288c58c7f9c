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
