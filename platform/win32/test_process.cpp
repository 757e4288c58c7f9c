#include "platform/test_process.h"

#include <windows.h>

#include "platform/win32/test_child_program.h"

struct TestProcess {
  PROCESS_INFORMATION info{};
  HANDLE input = nullptr;   // the program's standard input, our end
  HANDLE output = nullptr;  // the program's standard output, our end
  std::string pending;
  bool outputEnded = false;
};

namespace {

// An anonymous pipe whose one end the child inherits.
bool makePipe(HANDLE* readEnd, HANDLE* writeEnd, bool childReads) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  if (!CreatePipe(readEnd, writeEnd, &inheritable, 0)) return false;
  SetHandleInformation(childReads ? *writeEnd : *readEnd, HANDLE_FLAG_INHERIT, 0);
  return true;
}

void closeIfOpen(HANDLE& handle) {
  if (handle != nullptr) CloseHandle(handle);
  handle = nullptr;
}

// Moves what the pipe holds into pending without blocking (anonymous pipes
// have no overlapped reads). False when the program's output has ended.
bool takeAvailableOutput(TestProcess* process) {
  DWORD available = 0;
  if (!PeekNamedPipe(process->output, nullptr, 0, nullptr, &available, nullptr)) return false;
  while (available > 0) {
    char buffer[512];
    DWORD count = 0;
    if (!ReadFile(process->output, buffer, available < sizeof buffer ? available : sizeof buffer, &count, nullptr) ||
        count == 0) {
      return false;
    }
    process->pending.append(buffer, count);
    available -= count;
  }
  return true;
}

}  // namespace

TestProcess* startTestProcess(const TestProcessOptions& options, std::string* error) {
  HANDLE childInput = nullptr, ourInput = nullptr, ourOutput = nullptr, childOutput = nullptr;
  if (!makePipe(&childInput, &ourInput, true) || !makePipe(&ourOutput, &childOutput, false)) {
    *error = "CreatePipe failed with error " + std::to_string(GetLastError());
    closeIfOpen(childInput);
    closeIfOpen(ourInput);
    return nullptr;
  }
  auto* process = new TestProcess;
  const bool created = createChildProgram(options, childInput, childOutput, true, &process->info, error);
  CloseHandle(childInput);
  CloseHandle(childOutput);
  process->input = ourInput;
  process->output = ourOutput;
  if (!created) {
    closeIfOpen(process->input);
    closeIfOpen(process->output);
    delete process;
    return nullptr;
  }
  return process;
}

bool readTestProcessLine(TestProcess* process, std::string* line, unsigned timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (true) {
    const size_t end = process->pending.find('\n');
    if (end != std::string::npos) {
      *line = process->pending.substr(0, end);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      process->pending.erase(0, end + 1);
      return true;
    }
    if (process->outputEnded || GetTickCount64() >= deadline) return false;
    if (!takeAvailableOutput(process)) process->outputEnded = true;
    if (process->pending.find('\n') == std::string::npos) Sleep(10);  // anonymous pipes offer nothing to wait on
  }
}

bool writeTestProcessInput(TestProcess* process, const std::string& text) {
  DWORD written = 0;
  return process->input != nullptr &&
         WriteFile(process->input, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

bool requestTestProcessStop(TestProcess*) { return false; }

bool waitTestProcessExit(TestProcess* process, unsigned timeoutMs, int* exitStatus) {
  return waitForChildProgram(process->info.hProcess, timeoutMs, exitStatus);
}

void closeTestProcess(TestProcess* process) {
  if (process == nullptr) return;
  closeIfOpen(process->input);
  closeIfOpen(process->output);
  if (WaitForSingleObject(process->info.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process->info.hProcess, 1);
    WaitForSingleObject(process->info.hProcess, 10000);
  }
  CloseHandle(process->info.hThread);
  CloseHandle(process->info.hProcess);
  delete process;
}
