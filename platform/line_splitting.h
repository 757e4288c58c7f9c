// Cutting whole lines out of bytes read so far, the same on every backend:
// platform-free, used by the standard-input readers of both.
#pragma once

#include <string>

// Moves the first complete line out of `pending` into `line`, without its
// line feed or a carriage return before it; false while no line is whole.
inline bool takeBufferedLine(std::string& pending, std::string* line) {
  const size_t end = pending.find('\n');
  if (end == std::string::npos) return false;
  *line = pending.substr(0, end);
  pending.erase(0, end + 1);
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}
