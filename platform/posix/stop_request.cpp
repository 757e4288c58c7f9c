#include "platform/stop_request.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

std::atomic<bool> stopRequested{false};
int wakePipe[2] = {-1, -1};  // the handler writes a byte; the waiter polls the read end

void onStopSignal(int) {
  const int savedErrno = errno;
  requestStop();
  errno = savedErrno;
}

}  // namespace

void requestStop() {
  stopRequested.store(true);
  if (wakePipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = write(wakePipe[1], &byte, 1);  // async-signal-safe
  }
}

void installStopRequestHandlers() {
  if (wakePipe[0] < 0 && pipe(wakePipe) != 0) wakePipe[0] = wakePipe[1] = -1;
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool waitForStopRequest(unsigned timeoutMs) {
  if (stopRequested.load()) return true;
  if (wakePipe[0] >= 0) {
    pollfd wake{wakePipe[0], POLLIN, 0};
    poll(&wake, 1, static_cast<int>(timeoutMs));
  } else {
    usleep(timeoutMs * 1000);
  }
  return stopRequested.load();
}
