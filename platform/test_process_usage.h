// Test support: what this process holds right now, for tests and long-run
// tools that check that churn leaves nothing behind. Any thread.
#pragma once

#include <cstdint>

struct ProcessUsage {
  int64_t threads = 0;      // threads that exist
  int64_t descriptors = 0;  // open file descriptors (POSIX) or handles (Win32)
  int64_t memoryMaps = 0;   // mapped regions of the address space
  int64_t residentBytes = 0;
  double cpuSeconds = 0;  // user and system time of the whole process so far
};

ProcessUsage currentProcessUsage();

// Lowers the limit of open descriptors so that only `spare` more can be
// opened, as on a machine that has run out of them; false where there is no
// such limit (Win32). restoreDescriptorLimit puts the limit back.
bool limitOpenDescriptors(int spare);
void restoreDescriptorLimit();

// Raises the limit of open descriptors as far as the system allows, for a
// tool that holds many connections at once.
void raiseDescriptorLimit();
