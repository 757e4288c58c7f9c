// POSIX test support shared by test_process.cpp and test_status_display.cpp:
// starting a child program (its arguments, folder and environment prepared
// before fork, so the child calls only async-signal-safe functions) and
// waiting for it with a time limit. Used by the test's thread that owns the
// child.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/posix/test_child_restriction.h"
#include "platform/test_process.h"

class ChildProgramLaunch {
 public:
  explicit ChildProgramLaunch(const TestProcessOptions& options);
  ChildProgramLaunch(const ChildProgramLaunch&) = delete;  // holds pointers into itself
  ChildProgramLaunch& operator=(const ChildProgramLaunch&) = delete;
  // In the forked child: enters the folder, takes on the restriction and
  // runs the program with the prepared environment; exits with status 127 if
  // any of that fails.
  [[noreturn]] void execute() const;

 private:
  std::string program_;
  std::string folder_;
  ChildRestriction restriction_;
  std::vector<std::string> arguments_;
  std::vector<std::string> environment_;
  std::vector<char*> argumentPointers_;
  std::vector<char*> environmentPointers_;
};

// Waits up to the time for the child to end. True with its exit status: the
// program's exit code, or 128 plus the signal that ended it.
bool waitForChildProgram(pid_t pid, unsigned timeoutMs, int* exitStatus);
