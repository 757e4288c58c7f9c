#include "platform/test_last_error.h"

#include <cerrno>

int setConnectionResetAsLastError() {
  errno = ECONNRESET;
  return ECONNRESET;
}

bool describesConnectionReset(const std::string& text) { return text == "Connection reset by peer"; }
