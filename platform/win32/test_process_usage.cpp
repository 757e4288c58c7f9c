#include "platform/test_process_usage.h"

#include <windows.h>
// After windows.h, whose types they use.
#include <psapi.h>
#include <tlhelp32.h>

namespace {

int64_t threadsOfThisProcess() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  const DWORD self = GetCurrentProcessId();
  int64_t count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == self) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

int64_t committedRegions() {
  int64_t count = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;
       address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State != MEM_FREE) ++count;
  }
  return count;
}

double seconds(const FILETIME& time) {
  ULARGE_INTEGER ticks;
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return static_cast<double>(ticks.QuadPart) / 1e7;
}

}  // namespace

ProcessUsage currentProcessUsage() {
  ProcessUsage usage;
  usage.threads = threadsOfThisProcess();
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  usage.descriptors = handles;
  usage.memoryMaps = committedRegions();
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
    usage.residentBytes = static_cast<int64_t>(memory.WorkingSetSize);
  }
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    usage.cpuSeconds = seconds(kernel) + seconds(user);
  }
  return usage;
}

// Handles have no per-process limit to lower.
bool limitOpenDescriptors(int) { return false; }
void restoreDescriptorLimit() {}
void raiseDescriptorLimit() {}
