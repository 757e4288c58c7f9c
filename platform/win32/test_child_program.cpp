#include "platform/win32/test_child_program.h"

#include <utility>
#include <vector>

#include "platform/win32/test_child_restriction.h"

namespace {

std::wstring wideText(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::wstring commandLine(const TestProcessOptions& options) {
  std::wstring line = L"\"" + fullPath(options.program) + L"\"";
  for (const std::string& argument : options.arguments) line += L" \"" + wideText(argument) + L"\"";
  return line;
}

// Sets the added variables in this process for as long as it lives, so that
// the child inherits them, and puts the earlier values back afterwards.
class AddedEnvironment {
 public:
  explicit AddedEnvironment(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
      const size_t equals = entry.find('=');
      const std::wstring name = wideText(entry.substr(0, equals));
      const std::wstring value = equals == std::string::npos ? L"" : wideText(entry.substr(equals + 1));
      wchar_t earlier[32768];
      const DWORD length = GetEnvironmentVariableW(name.c_str(), earlier, 32768);
      const bool existed = length > 0 && length < 32768;
      saved_.push_back({name, existed ? std::wstring(earlier, length) : L"", existed});
      SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
  }
  ~AddedEnvironment() {
    for (const Saved& saved : saved_)
      SetEnvironmentVariableW(saved.name.c_str(), saved.existed ? saved.value.c_str() : nullptr);
  }
  AddedEnvironment(const AddedEnvironment&) = delete;
  AddedEnvironment& operator=(const AddedEnvironment&) = delete;

 private:
  struct Saved {
    std::wstring name, value;
    bool existed;
  };
  std::vector<Saved> saved_;
};

}  // namespace

std::wstring fullPath(const std::string& path) {
  const std::wstring wide = wideText(path);
  wchar_t buffer[MAX_PATH * 2];
  const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH * 2, buffer, nullptr);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(buffer, length) : wide;
}

bool createChildProgram(const TestProcessOptions& requested, HANDLE input, HANDLE output, bool useStandardHandles,
                        PROCESS_INFORMATION* info, std::string* error) {
  TestProcessOptions launch;
  if (!restrictedLaunch(requested, &launch, error)) return false;
  const TestProcessOptions& options = launch;
  const AddedEnvironment environment(options.environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  HANDLE errorOutput = nullptr;
  if (useStandardHandles) {
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &errorOutput, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errorOutput;
  }
  std::wstring line = commandLine(options);
  const std::wstring folder = options.workingFolder.empty() ? L"" : fullPath(options.workingFolder);
  const BOOL created =
      CreateProcessW(fullPath(options.program).c_str(), &line[0], nullptr, nullptr, useStandardHandles ? TRUE : FALSE,
                     0, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, info);
  if (errorOutput != nullptr) CloseHandle(errorOutput);
  if (!created) *error = "CreateProcess failed with error " + std::to_string(GetLastError());
  return created != FALSE;
}

bool waitForChildProgram(HANDLE process, unsigned timeoutMs, int* exitStatus) {
  if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  *exitStatus = static_cast<int>(code);
  return true;
}
