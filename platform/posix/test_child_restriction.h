// POSIX test support: puts the calling process under a test restriction.
// Called in a forked child just before it runs the program, so it makes
// system calls only; the texts it writes are prepared before the fork.
#pragma once

#include <string>

#include "platform/test_restriction.h"

class ChildRestriction {
 public:
  explicit ChildRestriction(TestRestriction restriction);
  // False when the system refused it.
  bool apply() const;

 private:
  bool enterOwnNetwork() const;
  bool denyBind() const;

  TestRestriction restriction_;
  std::string userMap_;   // "uid uid 1": the user stays itself in a namespace of its own
  std::string groupMap_;  // the same for the group
};
