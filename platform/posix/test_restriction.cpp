#include "platform/test_restriction.h"

#include <unistd.h>

#include "platform/posix/test_child_program.h"
#include "platform/posix/test_child_restriction.h"

bool testRestrictionAvailable(TestRestriction restriction) {
  const ChildRestriction limit(restriction);
  const pid_t probe = fork();
  if (probe == 0) _exit(limit.apply() ? 0 : 1);
  if (probe < 0) return false;
  int status = -1;
  return waitForChildProgram(probe, 10000, &status) && status == 0;
}

TcpSocket holdTcpPortExclusively(uint16_t) { return kInvalidTcpSocket; }
