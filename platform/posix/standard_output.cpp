#include "platform/standard_output.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace {

void openOnNullDeviceIfClosed(int descriptor) {
  if (fcntl(descriptor, F_GETFD) != -1) return;
  const int opened = open("/dev/null", O_RDWR);
  // open takes the lowest free descriptor, which is this one when the
  // streams below it are open; otherwise move it there.
  if (opened < 0 || opened == descriptor) return;
  dup2(opened, descriptor);
  close(opened);
}

}  // namespace

void protectStandardOutput() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  for (int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) openOnNullDeviceIfClosed(descriptor);
}
