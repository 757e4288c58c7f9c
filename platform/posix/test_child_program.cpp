#include "platform/posix/test_child_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

std::string variableName(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProgramLaunch::ChildProgramLaunch(const TestProcessOptions& options)
    : program_(options.program), folder_(options.workingFolder), restriction_(options.restriction) {
  arguments_.push_back(options.program);
  arguments_.insert(arguments_.end(), options.arguments.begin(), options.arguments.end());
  for (char** entry = environ; *entry != nullptr; ++entry) {
    bool replaced = false;
    for (const std::string& added : options.environment) replaced |= variableName(added) == variableName(*entry);
    if (!replaced) environment_.push_back(*entry);
  }
  environment_.insert(environment_.end(), options.environment.begin(), options.environment.end());
  argumentPointers_ = pointersTo(arguments_);
  environmentPointers_ = pointersTo(environment_);
}

void ChildProgramLaunch::execute() const {
  if ((folder_.empty() || chdir(folder_.c_str()) == 0) && restriction_.apply()) {
    execve(program_.c_str(), argumentPointers_.data(), environmentPointers_.data());
  }
  _exit(127);
}

bool waitForChildProgram(pid_t pid, unsigned timeoutMs, int* exitStatus) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return true;
    }
    if (done < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // polling waitpid: no child event to wait on
  }
}
