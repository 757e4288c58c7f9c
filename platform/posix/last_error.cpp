#include "platform/last_error.h"

#include <cerrno>
#include <cstring>

int lastSystemErrorCode() { return errno; }

namespace {
// strerror_r comes in two flavours; overloads pick whichever libc provides.
[[maybe_unused]] const char* pickText(int result, const char* buffer) { return result == 0 ? buffer : "Unknown error"; }
[[maybe_unused]] const char* pickText(const char* result, const char*) { return result; }
}  // namespace

std::string systemErrorText(int code) {
  char buffer[256] = {};
  return pickText(strerror_r(code, buffer, sizeof buffer), buffer);
}
