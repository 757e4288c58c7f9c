#include "platform/line_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/line_splitting.h"

namespace {

std::string pending;  // bytes read but not yet handed out; reader thread only
bool inputEnded = false;

bool takeLine(std::string* line) { return takeBufferedLine(pending, line); }

}  // namespace

LineRead readStandardInputLine(std::string* line, unsigned timeoutMs) {
  if (takeLine(line)) return LineRead::kLine;
  if (inputEnded) return LineRead::kEnd;
  pollfd watched{STDIN_FILENO, POLLIN, 0};
  const int ready = poll(&watched, 1, static_cast<int>(timeoutMs));
  if (ready == 0 || (ready < 0 && errno == EINTR)) return LineRead::kNothingYet;
  char buffer[4096];
  const ssize_t got = ready > 0 ? read(STDIN_FILENO, buffer, sizeof buffer) : -1;
  if (got < 0 && errno == EINTR) return LineRead::kNothingYet;
  if (got <= 0) {
    inputEnded = true;
    if (pending.empty()) return LineRead::kEnd;
    *line = pending;  // a last line without a line end
    pending.clear();
    return LineRead::kLine;
  }
  pending.append(buffer, static_cast<size_t>(got));
  return takeLine(line) ? LineRead::kLine : LineRead::kNothingYet;
}
