#include "platform/test_process_usage.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

int64_t entriesIn(const char* folder) {
  std::error_code error;
  int64_t count = 0;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    ++count;
  }
  return count;
}

int64_t linesIn(const char* file) {
  std::ifstream in(file);
  int64_t count = 0;
  for (std::string line; std::getline(in, line);) ++count;
  return count;
}

int64_t residentBytes() {
  std::ifstream in("/proc/self/statm");
  int64_t sizePages = 0, residentPages = 0;
  in >> sizePages >> residentPages;
  return residentPages * sysconf(_SC_PAGESIZE);
}

double seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

rlimit savedLimit{};
bool limitSaved = false;
std::vector<int> gapFillers;  // descriptors that fill the gaps while the limit is lowered

}  // namespace

ProcessUsage currentProcessUsage() {
  ProcessUsage usage;
  usage.threads = entriesIn("/proc/self/task");
  usage.descriptors = entriesIn("/proc/self/fd") - 1;  // less the one that lists them
  usage.memoryMaps = linesIn("/proc/self/maps");
  usage.residentBytes = residentBytes();
  rusage times{};
  getrusage(RUSAGE_SELF, &times);
  usage.cpuSeconds = seconds(times.ru_utime) + seconds(times.ru_stime);
  return usage;
}

bool limitOpenDescriptors(int spare) {
  rlimit limit{};
  if (limitSaved || getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
  // A new descriptor takes the lowest free number below the limit. The gaps
  // below the highest open one are filled first, so that exactly `spare`
  // numbers are left above it.
  int highest = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    highest = std::max(highest, std::stoi(entry.path().filename().string()));
  }
  for (;;) {
    const int filler = dup(STDERR_FILENO);
    if (filler < 0) return false;
    if (filler > highest) {
      close(filler);
      break;
    }
    gapFillers.push_back(filler);
  }
  savedLimit = limit;
  limitSaved = true;
  limit.rlim_cur = static_cast<rlim_t>(highest + 1 + spare);
  return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

void restoreDescriptorLimit() {
  if (limitSaved) setrlimit(RLIMIT_NOFILE, &savedLimit);
  limitSaved = false;
  for (int filler : gapFillers) close(filler);
  gapFillers.clear();
}

void raiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}
