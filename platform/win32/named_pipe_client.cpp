#include "platform/named_pipe_client.h"

#include <windows.h>

IoHandle openNamedPipeClient(const std::string& pipePath, uint32_t busyWaitMilliseconds) {
  for (;;) {
    HANDLE pipe = CreateFileA(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return static_cast<IoHandle>(reinterpret_cast<uintptr_t>(pipe));
    if (GetLastError() != ERROR_PIPE_BUSY) return kInvalidIoHandle;
    if (!WaitNamedPipeA(pipePath.c_str(), busyWaitMilliseconds)) return kInvalidIoHandle;
  }
}
