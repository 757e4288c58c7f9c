#include "platform/test_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/posix/test_child_program.h"

struct TestProcess {
  pid_t pid = -1;
  int input = -1;   // the program's standard input, our end
  int output = -1;  // the program's standard output, our end
  std::string pending;
  bool ended = false;  // waited for
  int exitStatus = -1;
};

namespace {

bool makePipe(int ends[2]) { return pipe2(ends, O_CLOEXEC) == 0; }

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

TestProcess* startTestProcess(const TestProcessOptions& options, std::string* error) {
  int toChild[2], fromChild[2];
  if (!makePipe(toChild)) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return nullptr;
  }
  if (!makePipe(fromChild)) {
    *error = std::string("pipe: ") + std::strerror(errno);
    close(toChild[0]);
    close(toChild[1]);
    return nullptr;
  }
  const ChildProgramLaunch launch(options);
  // The reader goes before the program starts, so its very first write
  // already meets a pipe without a reader.
  if (options.output == TestProcessOutput::kReaderGone) closeIfOpen(fromChild[0]);
  const pid_t pid = fork();
  if (pid == 0) {
    // An ignored signal stays ignored across exec; the program starts as a
    // shell would start it, with the default.
    signal(SIGPIPE, SIG_DFL);
    dup2(toChild[0], STDIN_FILENO);
    if (options.output == TestProcessOutput::kClosed) {
      close(STDOUT_FILENO);
    } else {
      dup2(fromChild[1], STDOUT_FILENO);
    }
    launch.execute();
  }
  close(toChild[0]);
  close(fromChild[1]);
  if (pid < 0) {
    *error = std::string("fork: ") + std::strerror(errno);
    close(toChild[1]);
    closeIfOpen(fromChild[0]);
    return nullptr;
  }
  signal(SIGPIPE, SIG_IGN);  // a program that has gone must not end the test
  auto* process = new TestProcess;
  process->pid = pid;
  process->input = toChild[1];
  process->output = fromChild[0];
  return process;
}

bool readTestProcessLine(TestProcess* process, std::string* line, unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    const size_t end = process->pending.find('\n');
    if (end != std::string::npos) {
      *line = process->pending.substr(0, end);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      process->pending.erase(0, end + 1);
      return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || process->output < 0) return false;
    pollfd readable{process->output, POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[512];
    const ssize_t count = read(process->output, buffer, sizeof buffer);
    if (count <= 0) {
      if (count < 0 && errno == EINTR) continue;
      closeIfOpen(process->output);
      return false;
    }
    process->pending.append(buffer, static_cast<size_t>(count));
  }
}

bool writeTestProcessInput(TestProcess* process, const std::string& text) {
  return process->input >= 0 && write(process->input, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

bool requestTestProcessStop(TestProcess* process) { return !process->ended && kill(process->pid, SIGTERM) == 0; }

bool waitTestProcessExit(TestProcess* process, unsigned timeoutMs, int* exitStatus) {
  if (!process->ended && waitForChildProgram(process->pid, timeoutMs, &process->exitStatus)) process->ended = true;
  if (process->ended) *exitStatus = process->exitStatus;
  return process->ended;
}

void closeTestProcess(TestProcess* process) {
  if (process == nullptr) return;
  closeIfOpen(process->input);
  closeIfOpen(process->output);
  if (!process->ended) {
    kill(process->pid, SIGKILL);
    waitForChildProgram(process->pid, 10000, &process->exitStatus);
  }
  delete process;
}
