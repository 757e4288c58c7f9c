#include "platform/named_pipe_client.h"

#include <windows.h>

#include "platform/last_error.h"

namespace {

IoHandle failWithLastError(std::string* failure) {
  if (failure != nullptr) *failure = systemErrorText(static_cast<int>(GetLastError()));
  return kInvalidIoHandle;
}

}  // namespace

IoHandle openNamedPipeClient(const std::string& pipePath, uint32_t busyWaitMilliseconds, std::string* failure) {
  for (;;) {
    HANDLE pipe = CreateFileA(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return static_cast<IoHandle>(reinterpret_cast<uintptr_t>(pipe));
    if (GetLastError() != ERROR_PIPE_BUSY) return failWithLastError(failure);
    if (!WaitNamedPipeA(pipePath.c_str(), busyWaitMilliseconds)) return failWithLastError(failure);
  }
}
